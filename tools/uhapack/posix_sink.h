// Extracts into a folder on a POSIX system (the packer's "x" and "t" commands and the tests).
#pragma once

#include <string>

#include "archive_reader.h"

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
  std::string PathOf(const Entry& entry) const { return root_ + "/" + entry.name; }
  Status MakeParents(const std::string& name);

  std::string root_;
  int fd_ = -1;
};

}  // namespace uha
