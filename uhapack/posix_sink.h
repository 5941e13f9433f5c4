// Extracts into a folder on a POSIX system (the packer's "x" and "t" commands and the tests).
// Nothing is written through a link: a link at a folder of an entry's path is an error, and a
// file goes to a temporary name first and then replaces whatever stood at its own name.
#pragma once

#include <string>

#include "lib/archive/archive_reader.h"
#include "lib/archive/made_folders.h"

namespace uha {

class PosixSink : public ExtractSink {
 public:
  // An empty root checks the archive without writing anything.
  explicit PosixSink(std::string root) : root_(std::move(root)) {}
  ~PosixSink() override;

  Status MakeDirectory(const Entry& entry) override;
  Status BeginFile(const Entry& entry) override;
  Status Write(const std::uint8_t* data, std::size_t size) override;
  Status EndFile(const Entry& entry) override;
  void AbandonFile(const Entry& entry) override;

 private:
  std::string PathOf(std::string_view name) const { return root_ + "/" + std::string(name); }
  Status MakeFolder(const std::string& name) const;
  void DropTemporary();

  std::string root_;
  MadeFolders folders_;
  int fd_ = -1;
  std::string temporary_;  // where the open file is written until it has been checked
  unsigned temporaries_ = 0;
};

}  // namespace uha
