// setup.exe from the keyboard alone: keys typed as the keyboard types them (SendInput), never a
// click. Tab order, the focus on each page, the keys the captions promise, Enter, Esc and Space.
#include <gtest/gtest.h>

#include "setup/app/exit_codes.h"
#include "tests/wine/browser_stand_in.h"
#include "tests/wine/command_record.h"
#include "tests/wine/wizard_driver.h"

namespace {

const int kBrowse = 1000;
const int kOptions[] = {1006, 1007, 1008, 1009};
const DWORD kInstallTimeoutMs = 240000;

// Tab (or Shift+Tab) from the focus, expecting it to land on each window in turn.
void ExpectTabCycle(const WizardDriver& setup, std::initializer_list<HWND> order, bool back = false) {
  int step = 0;
  for (HWND expected : order) {
    WizardDriver::Type(VK_TAB, false, back);
    EXPECT_TRUE(WaitUntil([&] { return setup.Focus() == expected; }, 2000))
        << "tab " << step << ": focus on id " << GetDlgCtrlID(setup.Focus());
    ++step;
  }
}

HWND ExpectQuestion(const WizardDriver& setup) {
  HWND question = setup.WaitForOwnedDialog();
  EXPECT_NE(question, nullptr) << "no exit question";
  if (question) {
    EXPECT_TRUE(WaitUntil([&] { return GetForegroundWindow() == question; }));
  }
  return question;
}

}  // namespace

TEST(Keyboard, WholeRunFromWelcomeToTheCloseWithoutAClick) {
  BrowserStandIn browser;
  CommandLineRecord record;
  WizardDriver setup;
  ASSERT_TRUE(setup.Start());
  ASSERT_TRUE(setup.WaitForPage(WizardPage::Welcome));
  ASSERT_TRUE(setup.BringToFront());
  const HWND back = setup.Button(kBack), next = setup.Button(kNext), cancel = setup.Button(kCancel);

  // Welcome: nothing on the page takes the focus, so Next has it; Back is hidden.
  EXPECT_TRUE(WaitUntil([&] { return setup.Focus() == next; }));
  ExpectTabCycle(setup, {cancel, next});
  ExpectTabCycle(setup, {cancel, next}, true);
  WizardDriver::Type('N', true);
  ASSERT_TRUE(setup.WaitForPage(WizardPage::Folder));

  // Folder: the edit first, then Browse, then the wizard's buttons in reading order.
  const HWND edit = setup.Control(WizardPage::Folder, kFolderEdit);
  const HWND browse = setup.Control(WizardPage::Folder, kBrowse);
  EXPECT_TRUE(WaitUntil([&] { return setup.Focus() == edit; }));
  ExpectTabCycle(setup, {browse, back, next, cancel, edit});
  ExpectTabCycle(setup, {cancel, next, back, browse, edit}, true);
  WizardDriver::Type('B', true);  // the folder picker, left with Esc
  HWND picker = setup.WaitForOwnedDialog(10000);
  ASSERT_NE(picker, nullptr) << "Alt+B opened no picker";
  ASSERT_TRUE(WaitUntil([&] { return GetForegroundWindow() == picker; }));
  WizardDriver::Type(VK_ESCAPE);
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(picker); }));
  ASSERT_TRUE(setup.BringToFront());
  WizardDriver::Type('P', true);
  ASSERT_TRUE(setup.WaitForPage(WizardPage::Welcome));
  EXPECT_TRUE(WaitUntil([&] { return setup.Focus() == next; })) << "focus left on a hidden page";
  WizardDriver::Type(VK_RETURN);
  ASSERT_TRUE(setup.WaitForPage(WizardPage::Folder));
  EXPECT_EQ(WizardDriver::Text(edit), L"C:\\Program Files\\kelvamo\\");

  // Enter in the edit presses Next: the installation runs, the status line has the focus.
  WizardDriver::Type(VK_RETURN);
  ASSERT_TRUE(setup.WaitForPage(WizardPage::Progress));
  const HWND status = setup.Control(WizardPage::Progress, kStatusEdit);
  EXPECT_TRUE(WaitUntil([&] { return setup.Focus() == status; }));
  ASSERT_TRUE(WaitUntil([&] { return WizardDriver::Enabled(next); }, kInstallTimeoutMs));
  WizardDriver::Type(VK_ESCAPE);  // Cancel is disabled: no question
  EXPECT_TRUE(setup.NoOwnedDialogFor(700));
  WizardDriver::Type('N', true);
  ASSERT_TRUE(setup.WaitForPage(WizardPage::Finish));

  // Finish: Space clears each option in turn; Tab passes the disabled Back and Cancel.
  const HWND first = setup.Control(WizardPage::Finish, kOptions[0]);
  EXPECT_TRUE(WaitUntil([&] { return setup.Focus() == first; }));
  for (size_t i = 0; i < 4; ++i) {
    const HWND box = setup.Control(WizardPage::Finish, kOptions[i]);
    EXPECT_EQ(setup.Focus(), box) << kOptions[i];
    WizardDriver::Type(VK_SPACE);
    EXPECT_TRUE(WaitUntil([&] { return !WizardDriver::Checked(box); })) << kOptions[i];
    WizardDriver::Type(VK_TAB);
  }
  EXPECT_TRUE(WaitUntil([&] { return setup.Focus() == next; }));
  WizardDriver::Type('F', true);
  EXPECT_EQ(setup.WaitForExit(20000), 0u) << "完成(F) did not close setup.exe";
  EXPECT_EQ(record.Lines(1, 5000).size(), 1u) << "no success page";
}

TEST(Keyboard, EscapeAsksAndTheLettersAnswer) {
  WizardDriver setup;
  ASSERT_TRUE(setup.Start());
  ASSERT_TRUE(setup.WaitForPage(WizardPage::Welcome));
  ASSERT_TRUE(setup.BringToFront());

  WizardDriver::Type(VK_ESCAPE);
  HWND question = ExpectQuestion(setup);
  ASSERT_NE(question, nullptr);
  WizardDriver::Type('N');
  EXPECT_TRUE(WaitUntil([&] { return !IsWindow(question); })) << "N did not answer";
  EXPECT_TRUE(WaitUntil([&] { return WizardDriver::Enabled(setup.Wizard()); }));
  EXPECT_TRUE(setup.WaitForPage(WizardPage::Welcome));

  // Alt+C asks as well; on the question Alt+N answers like N, and Tab then Enter press a button.
  ASSERT_TRUE(setup.BringToFront());
  WizardDriver::Type('C', true);
  question = ExpectQuestion(setup);
  ASSERT_NE(question, nullptr);
  WizardDriver::Type('N', true);
  EXPECT_TRUE(WaitUntil([&] { return !IsWindow(question); })) << "Alt+N did not answer";
  ASSERT_TRUE(setup.BringToFront());
  WizardDriver::Type(VK_ESCAPE);
  question = ExpectQuestion(setup);
  ASSERT_NE(question, nullptr);
  EXPECT_EQ(setup.Focus(), GetDlgItem(question, kYes));
  WizardDriver::Type(VK_TAB);
  EXPECT_TRUE(WaitUntil([&] { return setup.Focus() == GetDlgItem(question, kNo); }));
  WizardDriver::Type(VK_RETURN);
  EXPECT_TRUE(WaitUntil([&] { return !IsWindow(question); })) << "Enter on 否(N) did not answer";
  EXPECT_EQ(setup.WaitForExit(0), STILL_ACTIVE);

  ASSERT_TRUE(setup.BringToFront());
  WizardDriver::Type(VK_ESCAPE);
  question = ExpectQuestion(setup);
  ASSERT_NE(question, nullptr);
  WizardDriver::Type('Y');
  EXPECT_EQ(setup.WaitForExit(), static_cast<DWORD>(kExitCancelled)) << "Y did not end setup.exe";
}
