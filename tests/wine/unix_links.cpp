#include "tests/wine/unix_links.h"

#include <gtest/gtest.h>

#include "tests/wine/test_files.h"

bool UnderWine() {
  return GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version") != nullptr;
}

std::string UnixPath(const std::string& path) {
  const auto to_unix =
      SystemFunction<char*(CDECL*)(LPCWSTR)>("kernel32.dll", "wine_get_unix_file_name");
  char* unix_path = to_unix ? to_unix(Wide(path).c_str()) : nullptr;
  const std::string out = unix_path ? unix_path : "";
  if (unix_path) HeapFree(GetProcessHeap(), 0, unix_path);
  return out;
}

// Runs a shell command line and waits until it is done: Wine does not wait for a Unix process, so
// the command leaves a mark when it ends.
void RunUnix(const std::string& command) {
  char temp[MAX_PATH];
  GetTempPathA(MAX_PATH, temp);
  const std::string mark = std::string(temp) + "unix-done-" + std::to_string(GetCurrentProcessId());
  DeleteFileA(mark.c_str());
  std::string line = "/bin/sh -c \"" + command + "; touch '" + UnixPath(mark) + "'\"";
  STARTUPINFOA si = {};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi = {};
  ASSERT_TRUE(CreateProcessA("Z:\\bin\\sh", &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                             &si, &pi))
      << line;
  CloseHandle(pi.hProcess);
  CloseHandle(pi.hThread);
  for (int i = 0; i < 100 && !Exists(mark); ++i) Sleep(50);
  ASSERT_TRUE(Exists(mark)) << line;
  DeleteFileA(mark.c_str());
}

void PlantLink(const std::string& link, const std::string& target, bool folder) {
  if (UnderWine()) {
    RunUnix("ln -s '" + UnixPath(target) + "' '" + UnixPath(link) + "'");
  } else {
    const auto create = SystemFunction<BOOLEAN(WINAPI*)(LPCSTR, LPCSTR, DWORD)>(
        "kernel32.dll", "CreateSymbolicLinkA");
    // Flags: a folder link (1), made without the link privilege where developer mode allows (2).
    if (create) create(link.c_str(), target.c_str(), (folder ? 1 : 0) | 2);
  }
}

void RemoveLink(const std::string& link, bool folder) {
  if (UnderWine()) {
    RunUnix("rm -f '" + UnixPath(link) + "'");
  } else if (folder) {
    RemoveDirectoryA(link.c_str());
  } else {
    DeleteFileA(link.c_str());
  }
}

