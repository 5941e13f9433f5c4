// The wizard driven from outside, as a user drives it: pages, buttons, keys, window menu
// commands and the dialogs they open.
#include <gtest/gtest.h>

#include "setup/app/exit_codes.h"
#include "tests/wine/test_files.h"
#include "tests/wine/wizard_driver.h"

namespace {

const wchar_t kNextCaption[] = L"下一步(N) >";
const wchar_t kFinishCaption[] = L"完成(F)";
const wchar_t kDefaultFolder[] = L"C:\\Program Files\\kelvamo\\";
const int kBrowse = 1000;

HWND Placeholder(HWND wizard) {
  for (HWND child = GetWindow(wizard, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    if (WizardDriver::Text(child) == L"Static") return child;
  }
  return nullptr;
}

// The visible page is what lies on top at the placeholder's corner and centre, where the
// placeholder would paint its text.
void ExpectPageCoversPlaceholder(const WizardDriver& setup, WizardPage page) {
  HWND placeholder = Placeholder(setup.Wizard());
  ASSERT_NE(placeholder, nullptr);
  RECT rect;
  GetWindowRect(placeholder, &rect);
  for (POINT point : {POINT{rect.left + 2, rect.top + 2},
                      POINT{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2}}) {
    ScreenToClient(setup.Wizard(), &point);
    EXPECT_EQ(ChildWindowFromPointEx(setup.Wizard(), point, CWP_SKIPINVISIBLE), setup.Page(page));
  }
}

// Clicks `id` of the wizard and waits until `page` is the one visible page.
void ClickAndExpectPage(const WizardDriver& setup, int id, WizardPage page) {
  WizardDriver::Click(setup.Wizard(), id);
  ASSERT_TRUE(setup.WaitForPage(page)) << "page " << static_cast<int>(page);
  ExpectPageCoversPlaceholder(setup, page);
}

HWND OpenQuestion(const WizardDriver& setup) {
  HWND question = setup.WaitForOwnedDialog();
  if (!question) return nullptr;
  EXPECT_EQ(WizardDriver::Text(question), kWizardCaption);
  EXPECT_NE(WizardDriver::Text(GetDlgItem(question, 1008)).find(L"你确实要退出"), std::wstring::npos);
  EXPECT_FALSE(WizardDriver::Enabled(setup.Wizard())) << "the wizard waits for the answer";
  return question;
}

void AnswerNo(const WizardDriver& setup, HWND question) {
  WizardDriver::Click(question, kNo);
  EXPECT_TRUE(WaitUntil([&] { return !IsWindow(question); }));
  EXPECT_TRUE(WaitUntil([&] { return WizardDriver::Enabled(setup.Wizard()); }));
}

}  // namespace

TEST(Wizard, WalksTheStepsShowingOnePageAndTheRightButtons) {
  ForgetRegisteredInstallation();
  WizardDriver setup;
  ASSERT_TRUE(setup.Start());
  HWND back = setup.Button(kBack), next = setup.Button(kNext);

  ASSERT_TRUE(setup.WaitForPage(WizardPage::Welcome));
  ExpectPageCoversPlaceholder(setup, WizardPage::Welcome);
  EXPECT_FALSE(WizardDriver::Visible(back));
  EXPECT_EQ(WizardDriver::Text(next), kNextCaption);
  EXPECT_TRUE(WizardDriver::Enabled(setup.Button(kCancel)));

  ClickAndExpectPage(setup, kNext, WizardPage::Folder);
  EXPECT_TRUE(WizardDriver::Visible(back));
  HWND folder = setup.Control(WizardPage::Folder, kFolderEdit);
  EXPECT_EQ(WizardDriver::Text(folder), kDefaultFolder);

  // Back and Next again keep what was typed.
  ASSERT_TRUE(WizardDriver::SetText(folder, L"C:\\Typed 目录"));
  ClickAndExpectPage(setup, kBack, WizardPage::Welcome);
  EXPECT_FALSE(WizardDriver::Visible(back));
  ClickAndExpectPage(setup, kNext, WizardPage::Folder);
  EXPECT_TRUE(WizardDriver::Visible(back));
  EXPECT_EQ(WizardDriver::Text(folder), L"C:\\Typed 目录");

  ClickAndExpectPage(setup, kNext, WizardPage::Progress);
  // The installation runs; Next comes on once it has completed.
  ASSERT_TRUE(WaitUntil([&] { return WizardDriver::Enabled(next); }, 240000));
  EXPECT_EQ(WizardDriver::Text(next), kNextCaption);

  ClickAndExpectPage(setup, kNext, WizardPage::Finish);
  EXPECT_EQ(WizardDriver::Text(next), kFinishCaption);
  for (int option : {1006, 1007, 1008, 1009}) {
    EXPECT_TRUE(WizardDriver::Checked(setup.Control(WizardPage::Finish, option))) << option;
  }

  // Once Next reads "完成(F)" it keeps that caption. The completed installation leaves Back
  // disabled; it is enabled here so the step table can be walked back.
  EnableWindow(back, TRUE);
  ClickAndExpectPage(setup, kBack, WizardPage::Progress);
  EXPECT_TRUE(WizardDriver::Visible(back));
  EXPECT_EQ(WizardDriver::Text(next), kFinishCaption);
  ClickAndExpectPage(setup, kNext, WizardPage::Finish);
}

TEST(Wizard, WindowMenuCommandsOfTheAboutRangeOpenAboutOnly) {
  WizardDriver setup;
  ASSERT_TRUE(setup.Start());
  for (WPARAM command : {0x0010, 0x0013, 0x001F}) {
    setup.SystemCommand(command);
    HWND about = setup.WaitForOwnedDialog();
    ASSERT_NE(about, nullptr) << std::hex << command;
    EXPECT_EQ(WizardDriver::Text(about), L"关于 setup");
    WizardDriver::Click(about, IDOK);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(about); }));
  }
  setup.SystemCommand(0x0020);
  EXPECT_TRUE(setup.NoOwnedDialogFor(700));
  EXPECT_EQ(setup.WaitForExit(0), STILL_ACTIVE);
}

TEST(Wizard, CloseAndCancelAskBeforeQuittingAndNoChangesNothing) {
  WizardDriver setup;
  ASSERT_TRUE(setup.Start());
  ASSERT_TRUE(setup.WaitForPage(WizardPage::Welcome));

  WizardDriver::Click(setup.Wizard(), kCancel);
  HWND question = OpenQuestion(setup);
  ASSERT_NE(question, nullptr);
  AnswerNo(setup, question);
  ASSERT_TRUE(setup.WaitForPage(WizardPage::Welcome));

  // From step 3 Cancel is disabled and the Close item grayed; the Close command still asks.
  ClickAndExpectPage(setup, kNext, WizardPage::Folder);
  ClickAndExpectPage(setup, kNext, WizardPage::Progress);
  EXPECT_FALSE(WizardDriver::Enabled(setup.Button(kCancel)));
  setup.SystemCommand(SC_CLOSE);
  question = OpenQuestion(setup);
  ASSERT_NE(question, nullptr);
  AnswerNo(setup, question);
  EXPECT_TRUE(setup.WaitForPage(WizardPage::Progress));

  setup.SystemCommand(SC_CLOSE);
  question = OpenQuestion(setup);
  ASSERT_NE(question, nullptr);
  WizardDriver::Click(question, kYes);
  EXPECT_EQ(setup.WaitForExit(), static_cast<DWORD>(kExitCancelled));
}

TEST(Wizard, CloseCommandWithOtherLowBitsGoesToTheDefaultClose) {
  WizardDriver setup;
  ASSERT_TRUE(setup.Start());
  setup.SystemCommand(SC_CLOSE | 0x1);
  EXPECT_EQ(setup.WaitForExit(), static_cast<DWORD>(kExitCancelled));
}

TEST(Wizard, EnterAndEscapeFollowNextAndCancelWhileEnabled) {
  WizardDriver setup;
  ASSERT_TRUE(setup.Start());
  ASSERT_TRUE(setup.WaitForPage(WizardPage::Welcome));

  setup.PressKey(VK_ESCAPE);
  HWND question = OpenQuestion(setup);
  ASSERT_NE(question, nullptr);
  AnswerNo(setup, question);

  setup.PressKey(VK_RETURN);
  ASSERT_TRUE(setup.WaitForPage(WizardPage::Folder));

  EnableWindow(setup.Button(kCancel), FALSE);
  EnableWindow(setup.Button(kNext), FALSE);
  setup.PressKey(VK_ESCAPE);
  EXPECT_TRUE(setup.NoOwnedDialogFor(700));
  setup.PressKey(VK_RETURN);
  Sleep(300);
  WizardPage shown;
  ASSERT_TRUE(setup.VisiblePage(&shown));
  EXPECT_EQ(shown, WizardPage::Folder);
  EXPECT_EQ(setup.WaitForExit(0), STILL_ACTIVE) << "Escape must not end the wizard";
}

TEST(Wizard, CancelledFolderPickerKeepsTheTypedFolder) {
  WizardDriver setup;
  ASSERT_TRUE(setup.Start());
  ClickAndExpectPage(setup, kNext, WizardPage::Folder);
  HWND folder = setup.Control(WizardPage::Folder, kFolderEdit);
  ASSERT_TRUE(WizardDriver::SetText(folder, L"E:\\Typed here"));

  WizardDriver::Click(setup.Page(WizardPage::Folder), kBrowse);
  HWND picker = setup.WaitForOwnedDialog(10000);
  ASSERT_NE(picker, nullptr);
  PostMessageW(picker, WM_COMMAND, IDCANCEL, 0);
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(picker); }));
  EXPECT_EQ(WizardDriver::Text(folder), L"E:\\Typed here");
}
