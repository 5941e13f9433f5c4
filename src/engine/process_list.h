#pragma once
#include <windows.h>

// Process id of the first listed process whose executable file name equals `name` (case ignored),
// or 0 when there is none.
DWORD FindProcessByName(const char* name);
