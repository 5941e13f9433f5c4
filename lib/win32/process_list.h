#pragma once
#include <windows.h>

#include <string>
#include <vector>

// Process id of the first listed process whose executable file name equals `name` (case ignored),
// or 0 when there is none.
DWORD FindProcessByName(const char* name);

// True when a listed process runs the very file `folder` + `name` (`folder` ends with a
// backslash), however either path is spelled: the files are compared, not their names.
bool IsRunningFrom(const std::string& folder, const char* name);

// The file names of the programs that run from `folder` (ends with a backslash) or a folder in
// it, each once: who most likely holds the folder's files open where the system cannot say.
std::vector<std::string> ProgramsRunningIn(const std::string& folder);
