// Creates the extracted entries below the current folder through the wide-character API, so any
// stored name works whatever the code page, and long paths work through the \\?\ form. Nothing is
// written through a link: a junction or symbolic link at a folder of an entry's path is an error,
// and a file goes to a temporary name first and then replaces whatever stood at its own name.
#pragma once

#include <windows.h>
#include <winternl.h>

#include <string>

#include "lib/archive/archive_reader.h"
#include "lib/archive/made_folders.h"

namespace uharc {

class Win32Sink : public uha::ExtractSink {
 public:
  ~Win32Sink() override;
  // Takes the current folder as the root; false when it cannot be read.
  bool Init();

  uha::Status MakeDirectory(const uha::Entry& entry) override;
  uha::Status BeginFile(const uha::Entry& entry) override;
  uha::Status Write(const std::uint8_t* data, std::size_t size) override;
  uha::Status EndFile(const uha::Entry& entry) override;
  void AbandonFile(const uha::Entry& entry) override;

 private:
  uha::Status PathOf(std::string_view name, std::wstring& path) const;
  uha::Status MakeFolder(const std::string& name) const;
  uha::Status OpenFolder(std::string_view folder);
  NTSTATUS Rename(const std::wstring& leaf);
  uha::Status Replace(const std::string& name);
  void DropTemporary();

  std::wstring root_;  // \\?\ form of the current folder, without a trailing backslash
  uha::MadeFolders folders_;
  // The folder of the current file, open so that files are made and renamed by names relative to
  // it: under Wine, each full path costs a walk of all its folders.
  HANDLE folder_ = INVALID_HANDLE_VALUE;
  std::string folder_name_;
  HANDLE file_ = INVALID_HANDLE_VALUE;  // the temporary file being written
  std::string current_;
  unsigned temporaries_ = 0;
};

}  // namespace uharc
