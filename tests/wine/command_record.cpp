#include "tests/wine/command_record.h"

#include <windows.h>

#include <fstream>
#include <iterator>

std::string RecorderProgram() {
  char path[MAX_PATH];
  DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string full(path, length < MAX_PATH ? length : 0);
  return full.substr(0, full.find_last_of('\\') + 1) + "command_recorder.exe";
}

CommandLineRecord::CommandLineRecord() {
  char temp[MAX_PATH];
  DWORD length = GetTempPathA(MAX_PATH, temp);
  if (length == 0 || length >= MAX_PATH) return;
  path_ = std::string(temp) + "kelvamo_command_record.txt";
  DeleteFileA(path_.c_str());
  SetEnvironmentVariableA("KELVAMO_COMMAND_RECORD", path_.c_str());
}

CommandLineRecord::~CommandLineRecord() { DeleteFileA(path_.c_str()); }

std::vector<std::string> CommandLineRecord::Lines(size_t expected, unsigned waitMs) const {
  std::vector<std::string> lines;
  for (unsigned waited = 0;; waited += 100) {
    lines.clear();
    std::ifstream in(path_, std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    // Only finished lines count: a recorder may be halfway through its write.
    for (size_t start = 0, end; (end = text.find('\n', start)) != std::string::npos;
         start = end + 1) {
      lines.push_back(text.substr(start, end - start));
    }
    if (lines.size() >= expected || waited >= waitMs) return lines;
    Sleep(100);
  }
}
