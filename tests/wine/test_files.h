#pragma once
// Files and texts as the Windows tests look at them.
#include <windows.h>

#include <string>

bool Exists(const std::string& path);
bool Exists(const std::wstring& path);

// The whole file, or "<missing>" when it cannot be opened.
std::string ReadFileText(const std::string& path);
// Creates or replaces the file; a file that cannot be made fails the running test.
void WriteFileText(const std::string& path, const std::string& text);

// ANSI text (the code page of the test process) as UTF-16.
std::wstring Wide(const std::string& ansi);

// Removes the uninstall entry, so that setup.exe starts as on a system without Kelvamo and its
// folder page proposes the default folder. The files of an installation stay.
void ForgetRegisteredInstallation();

// Every value of the application key and the uninstall entry (name, type, bytes), or that a key
// is missing: what an installation taken back must leave exactly as it found it.
std::string ProductRecords();

// The installer's log as it stands in the temporary folder; empty when there is none.
std::string SetupLogText();
// A log's last line without its time.
std::string LastLogLine(const std::string& log);
// The last line of a run that ends with `exitCode`, the outcome named `outcome`.
std::string OutcomeLine(int exitCode, const char* outcome);
