#pragma once
#include <string>
#include <vector>

// Full path of command_recorder.exe, built next to the tests.
std::string RecorderProgram();

// The file that copies of command_recorder.exe started from this process (directly or through the
// installer) append their command lines to. Starts empty; removed at the end.
class CommandLineRecord {
 public:
  CommandLineRecord();
  ~CommandLineRecord();
  CommandLineRecord(const CommandLineRecord&) = delete;
  CommandLineRecord& operator=(const CommandLineRecord&) = delete;

  // The command lines recorded so far, waiting up to `waitMs` for at least `expected` of them.
  std::vector<std::string> Lines(size_t expected, unsigned waitMs) const;

 private:
  std::string path_;
};
