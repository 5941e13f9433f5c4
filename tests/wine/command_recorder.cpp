// Stands in for a program that the installer starts (the browser, the installed application):
// appends its command line, as received, and a line break to the file KELVAMO_COMMAND_RECORD names.
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  char recordPath[MAX_PATH];
  DWORD length = GetEnvironmentVariableA("KELVAMO_COMMAND_RECORD", recordPath, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return 1;
  HANDLE file = CreateFileA(recordPath, FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 1;
  const char* commandLine = GetCommandLineA();
  DWORD written = 0;
  WriteFile(file, commandLine, lstrlenA(commandLine), &written, nullptr);
  WriteFile(file, "\n", 1, &written, nullptr);
  CloseHandle(file);
  return 0;
}
