#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "lib/win32/process_handle.h"

// The runtime's unpack200 runs of the completion step: one start per packed library, 100 ms apart,
// each process handle kept so that the installer waits for every library before going on.
class UnpackRun {
 public:
  UnpackRun() = default;
  UnpackRun(const UnpackRun&) = delete;
  UnpackRun& operator=(const UnpackRun&) = delete;

  // Starts unpack200 for each "*.pack.gz" file of `folder` (a path ending with a backslash), and
  // passes over folders whose own name matches. Missing folders and folders without packed files
  // start nothing. False when a search pattern or command line does not fit, or a start fails.
  bool StartFolder(const std::string& installDir, const std::string& folder);
  // Waits for every started run, dispatching window messages; false when one has not ended within
  // `timeoutMs` in all, ended with a nonzero code or left no output file.
  bool WaitAll(DWORD timeoutMs);
  // The packed file of the first failure, or what failed.
  const std::string& Failure() const { return m_failure; }
  size_t Started() const { return m_runs.size(); }

 private:
  struct Run {
    ProcessHandle process;
    std::string packedPath;
    std::string outputPath;
  };
  bool Fail(const std::string& what);
  bool StartOne(const std::string& installDir, const std::string& folder, const char* packedName);

  std::vector<Run> m_runs;
  std::string m_failure;
};
