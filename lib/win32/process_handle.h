// One owner for a started or opened process: the handle is closed once, and ending a process
// that must go is written once.
#pragma once
#include <windows.h>

class ProcessHandle {
 public:
  ProcessHandle() = default;
  explicit ProcessHandle(HANDLE process) : m_process(process) {}
  ProcessHandle(ProcessHandle&& other) noexcept : m_process(other.m_process) {
    other.m_process = nullptr;
  }
  ProcessHandle& operator=(ProcessHandle&& other) noexcept {
    if (this != &other) {
      Reset(other.m_process);
      other.m_process = nullptr;
    }
    return *this;
  }
  ProcessHandle(const ProcessHandle&) = delete;
  ProcessHandle& operator=(const ProcessHandle&) = delete;
  ~ProcessHandle() { Reset(nullptr); }

  void Reset(HANDLE process) {
    if (m_process) CloseHandle(m_process);
    m_process = process;
  }
  HANDLE Get() const { return m_process; }
  explicit operator bool() const { return m_process != nullptr; }
  bool HasEnded() const { return m_process && WaitForSingleObject(m_process, 0) == WAIT_OBJECT_0; }

  // Terminates the process with `exitCode` and waits up to `timeoutMs` for it to be gone (its
  // files are only free then). True when it has ended, also when it had already.
  bool TerminateAndWait(UINT exitCode, DWORD timeoutMs) const {
    if (!m_process) return false;
    if (HasEnded()) return true;
    return TerminateProcess(m_process, exitCode) &&
           WaitForSingleObject(m_process, timeoutMs) == WAIT_OBJECT_0;
  }

 private:
  HANDLE m_process = nullptr;
};
