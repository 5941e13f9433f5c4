#pragma once
#include <windows.h>

// False when WinVerifyTrust finds the running installer's file changed since it was signed
// (kelvamo::SignatureShowsDamage). Asks neither the user nor the network: no revocation check,
// only what is cached.
bool OwnSignatureHolds();

// OwnSignatureHolds on a thread of its own, so the wizard shows at once: hashing the whole file
// takes a noticeable part of a second. The only thread besides the wizard's; it touches nothing
// but its verdict and one posted message.
class OwnSignatureCheck {
 public:
  OwnSignatureCheck() = default;
  ~OwnSignatureCheck();
  OwnSignatureCheck(const OwnSignatureCheck&) = delete;
  OwnSignatureCheck& operator=(const OwnSignatureCheck&) = delete;

  // Starts the check; `message` is posted to `window` when the verdict is in. A check that cannot
  // be started on a thread runs here and now.
  void Start(HWND window, UINT message);
  // Waits for the verdict, dispatching window messages; true unless the file was changed.
  bool Holds() const;

 private:
  static DWORD WINAPI Run(void* self);

  HANDLE m_thread = nullptr;
  HWND m_window = nullptr;
  UINT m_message = 0;
  bool m_damaged = false;  // read only once the thread has ended
};
