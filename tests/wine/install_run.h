#pragma once
// Whole runs of the real setup.exe installing its sample product, driven from outside: the
// fixture and helpers the installation tests share.
#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <optional>
#include <string>

#include "shared/payload_facts.h"

#include "tests/wine/wizard_driver.h"

constexpr int kMessageText = 0xFFFF;  // the static of a message box
constexpr DWORD kInstallTimeoutMs = 240000;

std::string Narrow(const std::wstring& text);

// The value's bytes as stored, or a marker when it is missing.
std::string RegistryBytes(const char* keyName, const char* valueName);
// The records of an installation of `version` (by default this build's) in `folder`.
void ExpectRegistryFor(const std::string& folder, const char* version = KELVAMO_BUILD_VERSION);
// Sets "Path" of the application key to a marker that an installation would overwrite.
void WriteRegistryMarker();

// setup.exe as this build made it with its signature taken off, as a developer's build is.
std::wstring UnsignedSetupExePath();

// A copy of the unsigned setup.exe, alone in the temp folder `name`, whose payload resource `id`
// is changed by `change`. With `recordChange` the copy's payload facts describe the changed
// resource, so only the checks during the installation can find the damage. Empty when the copy
// cannot be made.
std::wstring ChangedSetupCopy(const std::wstring& name, WORD id,
                              const std::function<void(std::string&)>& change, bool recordChange);

// A copy of the signed setup.exe, alone in the temp folder `name`, with one byte changed in its code
// section's padding: the signature covers it, the payload's checksums and the loader do not.
std::wstring CodeSectionChangedCopy(const std::wstring& name);

// A copy of the signed setup.exe, alone in the temp folder `name`, with the second half of its
// certificate table cut off: the signature can no longer be taken apart.
std::wstring CertificateTableCutCopy(const std::wstring& name);

// The payload facts of the setup.exe this build made.
std::optional<kelvamo::PayloadFacts> SetupPayloadFacts();

// Answers the message box the wizard shows (OK, or `button`) and returns its text.
std::wstring AnswerMessageBox(const WizardDriver& setup, int button = IDOK);

class InstallTest : public testing::Test {
 protected:
  // Starts setup.exe and types `folder` on the folder page, then presses Next.
  void StartInstallInto(const std::string& folder,
                        const std::wstring& exe = WizardDriver::SetupExePath());
  void InstallInto(const std::string& folder);
  // Waits for the completed state, noting whether the payload files and the extractor's progress
  // rows on the status line were seen meanwhile.
  bool WaitForCompletion(const std::string& folder, bool* sawPayload, bool* sawProgress = nullptr);
  void ExpectButtons(bool back, bool next, bool cancel);
  void ExpectCompleted(const std::string& folder);
  // Back on the folder page with every button enabled, as after a refusal.
  void ExpectBackOnTheFolderPage();
  HWND Button(int id) const { return setup_.Button(id); }

  WizardDriver setup_;
};
