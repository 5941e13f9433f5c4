#pragma once
#include <windows.h>

#include <vector>

// Ids of the listed processes whose executable file name equals `name` (case ignored), in the
// order the system lists them.
std::vector<DWORD> FindProcessesByName(const char* name);

// Process id of the first listed process whose executable file name equals `name` (case ignored),
// or 0 when there is none.
DWORD FindProcessByName(const char* name);
