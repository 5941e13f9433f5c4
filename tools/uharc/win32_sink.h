// Creates the extracted entries below the current folder through the wide-character API, so any
// stored name works whatever the code page, and long paths work through the \\?\ form.
#pragma once

#include <windows.h>

#include <string>

#include "archive_reader.h"

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
  uha::Status PathOf(const std::string& name, std::wstring& path) const;
  uha::Status MakeParents(const std::string& name);
  uha::Status MakeOneDirectory(const std::string& name);

  std::wstring root_;  // \\?\ form of the current folder, without a trailing backslash
  HANDLE file_ = INVALID_HANDLE_VALUE;
  std::string current_;
};

// UTF-8 to UTF-16; empty on invalid input.
std::wstring Widen(const std::string& utf8);

}  // namespace uharc
