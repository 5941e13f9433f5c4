#include "tests/wine/browser_stand_in.h"

#include <windows.h>

#include "tests/wine/command_record.h"
#include "setup/finish/success_page.h"

BrowserStandIn::BrowserStandIn() : backup_(std::string(kBrowserProgram) + ".wine") {
  // Wine's own iexplore.exe is a builtin; this override lets the file we put there run.
  char overrides[1024] = "";
  DWORD length = GetEnvironmentVariableA("WINEDLLOVERRIDES", overrides, sizeof(overrides));
  std::string merged = length > 0 && length < sizeof(overrides) ? std::string(overrides) + ";" : "";
  SetEnvironmentVariableA("WINEDLLOVERRIDES", (merged + "iexplore.exe=n").c_str());

  if (GetFileAttributesA(backup_.c_str()) == INVALID_FILE_ATTRIBUTES) {
    MoveFileA(kBrowserProgram, backup_.c_str());
  }
  installed_ = CopyFileA(RecorderProgram().c_str(), kBrowserProgram, FALSE) != FALSE;
}

BrowserStandIn::~BrowserStandIn() {
  DeleteFileA(kBrowserProgram);
  MoveFileA(backup_.c_str(), kBrowserProgram);
}

void BrowserStandIn::Remove() { DeleteFileA(kBrowserProgram); }
