#include "browser_stand_in.h"

#include <windows.h>

#include <fstream>
#include <iterator>

#include "finish/success_page.h"

namespace {

std::string FolderOfThisProgram() {
  char path[MAX_PATH];
  DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string full(path, length < MAX_PATH ? length : 0);
  return full.substr(0, full.find_last_of('\\') + 1);
}

}  // namespace

BrowserStandIn::BrowserStandIn() : backup_(std::string(kBrowserProgram) + ".wine") {
  char temp[MAX_PATH];
  DWORD length = GetTempPathA(MAX_PATH, temp);
  if (length == 0 || length >= MAX_PATH) return;
  record_ = std::string(temp) + "kelvamo_browser_record.txt";
  DeleteFileA(record_.c_str());
  SetEnvironmentVariableA("KELVAMO_BROWSER_RECORD", record_.c_str());

  // Wine's own iexplore.exe is a builtin; the override lets the file we put there run.
  char overrides[1024] = "";
  length = GetEnvironmentVariableA("WINEDLLOVERRIDES", overrides, sizeof(overrides));
  std::string merged = length > 0 && length < sizeof(overrides) ? std::string(overrides) + ";" : "";
  SetEnvironmentVariableA("WINEDLLOVERRIDES", (merged + "iexplore.exe=n").c_str());

  if (GetFileAttributesA(backup_.c_str()) == INVALID_FILE_ATTRIBUTES) {
    MoveFileA(kBrowserProgram, backup_.c_str());
  }
  const std::string recorder = FolderOfThisProgram() + "browser_recorder.exe";
  installed_ = CopyFileA(recorder.c_str(), kBrowserProgram, FALSE) != FALSE;
}

BrowserStandIn::~BrowserStandIn() {
  DeleteFileA(kBrowserProgram);
  MoveFileA(backup_.c_str(), kBrowserProgram);
  DeleteFileA(record_.c_str());
}

void BrowserStandIn::Remove() { DeleteFileA(kBrowserProgram); }

std::vector<std::string> BrowserStandIn::Recorded(size_t expected, unsigned waitMs) const {
  std::vector<std::string> lines;
  for (unsigned waited = 0;; waited += 100) {
    lines.clear();
    std::ifstream in(record_, std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    // Only finished lines count: the recorder may be halfway through its write.
    for (size_t start = 0, end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
      lines.push_back(text.substr(start, end - start));
    }
    if (lines.size() >= expected || waited >= waitMs) return lines;
    Sleep(100);
  }
}
