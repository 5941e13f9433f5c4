// Plays a local user's program against the installer: `extractor_swapper FOLDER PROGRAM` waits
// for UHARC.EXE to appear in FOLDER (ending with a backslash), then replaces it with a copy of
// PROGRAM again and again (MoveFileEx, replacing) until an extractor process is listed or 20 s
// have passed. Its exit code is the number of replacements that succeeded.
#include <windows.h>

#include <string>

#include "lib/win32/process_list.h"

int wmain(int argc, wchar_t** argv) {
  if (argc != 3) return -1;
  const std::wstring folder = argv[1];
  const std::wstring target = folder + L"UHARC.EXE", mine = folder + L"swapped in.tmp";
  for (DWORD start = GetTickCount(); GetFileAttributesW(target.c_str()) == INVALID_FILE_ATTRIBUTES;) {
    if (GetTickCount() - start > 120000) return -2;
  }
  int replaced = 0;
  for (DWORD start = GetTickCount(); GetTickCount() - start < 20000;) {
    if (CopyFileW(argv[2], mine.c_str(), FALSE) &&
        MoveFileExW(mine.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING)) {
      ++replaced;
    }
    if (FindProcessByName("UHARC.EXE") != 0) break;
  }
  DeleteFileW(mine.c_str());
  return replaced;
}
