#include "setup/engine/message_pump.h"

namespace {

// False once the program is quitting; the quit message is left for the outer loop.
bool DispatchPending() {
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(message.wParam));
      return false;
    }
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  return true;
}

}  // namespace

bool WaitPumping(HANDLE handle, DWORD timeoutMs) {
  const DWORD start = GetTickCount();
  for (;;) {
    const DWORD elapsed = GetTickCount() - start;
    const DWORD left = elapsed < timeoutMs ? timeoutMs - elapsed : 0;
    const DWORD count = handle ? 1 : 0;
    const DWORD result = MsgWaitForMultipleObjects(count, &handle, FALSE, left, QS_ALLINPUT);
    if (count == 1 && result == WAIT_OBJECT_0) return true;
    if (result != WAIT_OBJECT_0 + count) return false;  // timed out or failed
    if (!DispatchPending()) return false;
  }
}

void SleepPumping(DWORD ms) { WaitPumping(nullptr, ms); }
