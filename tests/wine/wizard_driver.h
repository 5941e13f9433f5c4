#pragma once
// Drives the real setup.exe from outside, through window messages, the way a user would: start
// it, find the wizard by its caption, click controls by id, type into edits, read texts,
// visibility, enabled state, check boxes and the progress position, answer the dialogs it opens,
// and end it. Every wait is bounded; on timeout the functions return null or false.
//
//   WizardDriver setup;
//   ASSERT_TRUE(setup.Start());
//   setup.Click(setup.Wizard(), kNext);
//   ASSERT_TRUE(setup.WaitForPage(WizardPage::Folder));
//   EXPECT_EQ(setup.Text(setup.Control(WizardPage::Folder, 1004)), L"C:\\Program Files\\kelvamo\\");
#include <windows.h>

#include <functional>
#include <string>

#include "setup/res/resource.h"

// The pages in step order.
enum class WizardPage { Welcome, Folder, Progress, Finish };

// Control ids of the wizard, the exit question and the pages, as the program names them.
constexpr int kNext = IDC_NEXT;
constexpr int kCancel = IDC_CANCEL_BUTTON;
constexpr int kBack = IDC_BACK;
constexpr int kYes = IDC_YES_BUTTON;
constexpr int kNo = IDC_NO_BUTTON;
constexpr int kFolderEdit = IDC_FOLDER_EDIT;
constexpr int kStatusEdit = IDC_STATUS_EDIT;
constexpr int kProgressBar = IDC_PROGRESS;

// Caption of the wizard and of the exit question of this build's setup.exe, and of one that
// installs `version`.
extern const wchar_t kWizardCaption[];
std::wstring WizardCaptionOf(const std::string& version);

// How the message of a start that restored a cut-off installation begins.
constexpr wchar_t kRecoveryMessageStart[] = L"上次安装 Kelvamo 时被中断。";

// Polls `condition` every 20 ms until it holds or `timeoutMs` has passed.
bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs = 5000);

class WizardDriver {
public:
  WizardDriver() = default;
  // Ends setup.exe if it is still running.
  ~WizardDriver();
  WizardDriver(const WizardDriver&) = delete;
  WizardDriver& operator=(const WizardDriver&) = delete;

  // Starts setup.exe (by default the one this build made) and waits for the wizard of any
  // version to show.
  bool Start(const std::wstring& exePath = SetupExePath());
  // Only starts it, for a run that may end before any wizard shows.
  bool Launch(const std::wstring& exePath = SetupExePath());
  static std::wstring SetupExePath();
  // The message a start answered before its wizard showed, having restored a cut-off run; empty
  // when there was none.
  const std::wstring& RecoveryMessage() const { return m_recoveryMessage; }
  // Lets go of setup.exe without ending it, as a machine that loses power would find it.
  void LeaveRunning();

  HWND Wizard() const { return m_wizard; }
  DWORD ProcessId() const { return m_process.dwProcessId; }
  // Waits for the program to end; its exit code, or STILL_ACTIVE after the timeout.
  DWORD WaitForExit(DWORD timeoutMs = 5000);

  // The page's window (a child dialog of the wizard), null when there is none.
  HWND Page(WizardPage page) const;
  bool WaitForPage(WizardPage page, DWORD timeoutMs = 5000) const;
  // The one page that is visible, or false when none or more than one is.
  bool VisiblePage(WizardPage* page) const;
  HWND Control(WizardPage page, int id) const { return GetDlgItem(Page(page), id); }
  HWND Button(int id) const { return GetDlgItem(m_wizard, id); }

  // A click as the user makes it; returns at once (the click may open a modal dialog).
  static void Click(HWND dialog, int id);
  // Presses a key in the control that has the keyboard focus in setup.exe.
  void PressKey(UINT virtualKey) const;
  // Makes the wizard (or the dialog over it) the foreground window, so typed keys reach it.
  bool BringToFront() const;
  // Types a key as the keyboard does (SendInput), with Alt or Shift held when asked, and lets
  // setup.exe handle it.
  static void Type(WORD virtualKey, bool alt = false, bool shift = false);
  // The window of setup.exe that has the keyboard focus, or null.
  HWND Focus() const;
  void SystemCommand(WPARAM command) const;

  // Window texts through WM_GETTEXT/WM_SETTEXT, so edits report what was typed.
  static std::wstring Text(HWND window);
  static bool SetText(HWND window, const std::wstring& text);
  static bool Visible(HWND window) { return IsWindowVisible(window) != 0; }
  static bool Enabled(HWND window) { return IsWindowEnabled(window) != 0; }
  static bool Checked(HWND checkBox);
  static int ProgressPosition(HWND progressBar);

  // A visible dialog or message box of setup.exe owned by the wizard, waited for up to the
  // timeout; null when none appears.
  HWND WaitForOwnedDialog(DWORD timeoutMs = 5000) const;
  // A visible top-level dialog or message box of setup.exe, owned or not; null when none appears.
  HWND WaitForTopLevelDialog(DWORD timeoutMs = 5000) const;
  // A top-level message box of the process, owned or not.
  HWND WaitForMessageBox(DWORD timeoutMs = 5000) const;
  // True when, for the whole of `forMs`, no such dialog shows.
  bool NoOwnedDialogFor(DWORD forMs) const;

  // Saves what the screen shows inside the wizard's window rectangle (frame included, and any
  // dialog over it) as a 24-bit BMP file.
  bool SaveScreenshot(const std::wstring& bmpPath) const;

private:
  // Answers the message a start gives when it has restored a run that was cut off.
  void AcceptRecoveryMessage(DWORD pid);

  PROCESS_INFORMATION m_process = {};
  HWND m_wizard = nullptr;
  std::wstring m_recoveryMessage;
};
