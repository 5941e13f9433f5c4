#include "setup/engine/own_signature.h"

#include <windows.h>
#include <softpub.h>
#include <wintrust.h>

#include <string>

#include "setup/engine/message_pump.h"
#include "setup/engine/signature_verdict.h"

namespace {

constexpr DWORD kLongPathChars = 32768;

}  // namespace

bool OwnSignatureHolds() {
  std::wstring path(kLongPathChars, L'\0');
  const DWORD length = GetModuleFileNameW(nullptr, &path[0], kLongPathChars);
  if (length == 0 || length >= kLongPathChars) return true;  // nothing to ask about: no verdict

  WINTRUST_FILE_INFO file = {};
  file.cbStruct = sizeof(file);
  file.pcwszFilePath = path.c_str();
  WINTRUST_DATA trust = {};
  trust.cbStruct = sizeof(trust);
  trust.dwUIChoice = WTD_UI_NONE;
  trust.fdwRevocationChecks = WTD_REVOKE_NONE;
  trust.dwUnionChoice = WTD_CHOICE_FILE;
  trust.pFile = &file;
  trust.dwStateAction = WTD_STATEACTION_VERIFY;
  trust.dwProvFlags = WTD_CACHE_ONLY_URL_RETRIEVAL | WTD_REVOCATION_CHECK_NONE;
  GUID action = WINTRUST_ACTION_GENERIC_VERIFY_V2;
  const LONG result = WinVerifyTrust(static_cast<HWND>(INVALID_HANDLE_VALUE), &action, &trust);
  trust.dwStateAction = WTD_STATEACTION_CLOSE;
  WinVerifyTrust(static_cast<HWND>(INVALID_HANDLE_VALUE), &action, &trust);  // frees the state
  return !kelvamo::SignatureShowsDamage(static_cast<std::uint32_t>(result));
}

OwnSignatureCheck::~OwnSignatureCheck() {
  if (!m_thread) return;
  WaitForSingleObject(m_thread, INFINITE);  // the thread reads this object
  CloseHandle(m_thread);
}

void OwnSignatureCheck::Start(HWND window, UINT message) {
  m_window = window;
  m_message = message;
  m_thread = CreateThread(nullptr, 0, &OwnSignatureCheck::Run, this, 0, nullptr);
  if (!m_thread) Run(this);
}

DWORD WINAPI OwnSignatureCheck::Run(void* self) {
  auto* check = static_cast<OwnSignatureCheck*>(self);
  check->m_damaged = !OwnSignatureHolds();
  PostMessageA(check->m_window, check->m_message, 0, 0);
  return 0;
}

bool OwnSignatureCheck::Holds() const {
  // A quit message ends the pumping early; the verdict is waited for all the same.
  if (m_thread && !WaitPumping(m_thread, INFINITE)) WaitForSingleObject(m_thread, INFINITE);
  return !m_damaged;  // written before the thread ended
}
