#pragma once
#include <string>
#include <vector>

// The programs that hold the files at `paths` open, as the system's Restart Manager names them;
// empty where the system has none, or it names none.
std::vector<std::string> ProgramsHolding(const std::vector<std::wstring>& paths);
