#pragma once
// Links planted by the tests. Under Wine, links are Unix ones, made and removed by the Unix tools
// themselves (Wine's CreateSymbolicLinkW makes nothing); on Windows, symbolic links.
#include <windows.h>

#include <string>

// A function of a system library, looked up by name (some are Wine's own, some newer than XP).
template <typename Function>
Function SystemFunction(const char* library, const char* name) {
  return reinterpret_cast<Function>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA(library), name)));
}

bool UnderWine();
// The Unix path of a Windows path under Wine; empty elsewhere.
std::string UnixPath(const std::string& path);
// Runs a shell command line under Wine and waits until it is done.
void RunUnix(const std::string& command);
void PlantLink(const std::string& link, const std::string& target, bool folder);
void RemoveLink(const std::string& link, bool folder);
