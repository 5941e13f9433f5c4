#pragma once
#include <windows.h>

// One installer at a time: a named mutex held for the life of the program, and the hand-over of a
// second start to the wizard of the first.
class InstallerLock {
public:
  InstallerLock() = default;
  InstallerLock(const InstallerLock&) = delete;
  InstallerLock& operator=(const InstallerLock&) = delete;
  ~InstallerLock();

  // False when another installer holds the lock.
  bool Acquire();

private:
  HANDLE m_mutex = nullptr;
};

// Marks the wizard so that a second start can find it.
void MarkRunningWizard(HWND wizard);
// Brings the marked wizard, or the dialog it has open, to the front; false when none is shown.
bool BringRunningWizardToFront();
