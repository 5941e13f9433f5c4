#pragma once
#include <windows.h>

// Waits that keep the wizard repainting: window messages of this thread are dispatched meanwhile.
// Callers make sure no handler of theirs can run again from inside the wait.

// True when the process (or other waitable handle) is signalled within `timeoutMs`.
bool WaitPumping(HANDLE handle, DWORD timeoutMs);
void SleepPumping(DWORD ms);
