#include "setup/app/one_installer.h"

namespace {

// Global: the installation changes the whole machine, whoever runs it.
const char kMutexName[] = "Global\\KelvamoSetup";
const char kWizardMark[] = "KelvamoSetupWizard";

BOOL CALLBACK TakeMarkedWindow(HWND window, LPARAM found) {
  if (GetPropA(window, kWizardMark) == nullptr) return TRUE;
  *reinterpret_cast<HWND*>(found) = window;
  return FALSE;
}

}  // namespace

InstallerLock::~InstallerLock() {
  if (m_mutex) CloseHandle(m_mutex);
}

bool InstallerLock::Acquire() {
  m_mutex = CreateMutexA(nullptr, FALSE, kMutexName);
  const DWORD error = GetLastError();
  if (m_mutex) return error != ERROR_ALREADY_EXISTS;
  // Held by an installer of another user. Any other failure must not keep anyone from installing.
  return error != ERROR_ACCESS_DENIED;
}

void MarkRunningWizard(HWND wizard) { SetPropA(wizard, kWizardMark, wizard); }

bool BringRunningWizardToFront() {
  HWND wizard = nullptr;
  EnumWindows(&TakeMarkedWindow, reinterpret_cast<LPARAM>(&wizard));
  // Hidden while the finish sequence runs: nothing to show then.
  if (wizard == nullptr || !IsWindowVisible(wizard)) return false;
  if (IsIconic(wizard)) ShowWindow(wizard, SW_RESTORE);
  // The exit question or a message box over the wizard is what the user has to answer.
  SetForegroundWindow(GetLastActivePopup(wizard));
  return true;
}
