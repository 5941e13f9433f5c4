// Every program the installer and the uninstaller start goes through StartProcess: one place that
// fills the startup record, picks the token and hands back the process handle.
#pragma once
#include <windows.h>

#include <string>

#include "lib/win32/process_handle.h"

struct ProcessStart {
  std::wstring application;  // empty: the command line's first word names the program
  std::wstring commandLine;
  std::wstring currentFolder;  // empty: the starter's own
  WORD show = SW_SHOWDEFAULT;
  // Handles marked inheritable pass to the program; with `standardHandles` these three become its
  // standard input, output and error.
  bool inheritHandles = false;
  bool standardHandles = false;
  HANDLE input = nullptr, output = nullptr, error = nullptr;
  // A primary token: the program runs as that token's user (CreateProcessWithTokenW, Vista on).
  HANDLE userToken = nullptr;
};

// Starts the program; an empty handle when it could not be started (the platform's last error
// says why).
ProcessHandle StartProcess(const ProcessStart& how);
