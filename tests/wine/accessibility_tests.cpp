// What a screen reader hears of setup.exe: every control of every page, of the wizard's frame and
// of the exit question read through oleacc from this process, as a reader reads it.
#include <windows.h>
#include <oleacc.h>
#include <gtest/gtest.h>

#include <string>

#include "setup/app/exit_codes.h"
#include "tests/wine/wizard_driver.h"

namespace {

const DWORD kInstallTimeoutMs = 240000;
const int kUnnumbered = 0xFFFF;  // what GetDlgCtrlID gives the template's -1 in a plain template

struct Heard {
  bool answered = false;
  long role = 0;
  long state = 0;
  std::wstring name, value, shortcut;
};

Heard Hear(HWND window) {
  Heard heard;
  IAccessible* object = nullptr;
  if (FAILED(AccessibleObjectFromWindow(window, OBJID_CLIENT, __uuidof(IAccessible),
                                        reinterpret_cast<void**>(&object)))) {
    return heard;
  }
  heard.answered = true;
  VARIANT self = {};
  self.vt = VT_I4;
  self.lVal = CHILDID_SELF;
  VARIANT role = {}, state = {};
  object->get_accRole(self, &role);
  object->get_accState(self, &state);
  heard.role = role.vt == VT_I4 ? role.lVal : 0;
  heard.state = state.vt == VT_I4 ? state.lVal : 0;
  BSTR texts[3] = {};
  object->get_accName(self, &texts[0]);
  object->get_accValue(self, &texts[1]);
  object->get_accKeyboardShortcut(self, &texts[2]);
  std::wstring* into[3] = {&heard.name, &heard.value, &heard.shortcut};
  for (int i = 0; i < 3; ++i) {
    if (texts[i]) *into[i] = std::wstring(texts[i], SysStringLen(texts[i]));
    SysFreeString(texts[i]);
  }
  object->Release();
  return heard;
}

std::wstring Trimmed(std::wstring text) {
  const wchar_t* blanks = L" \t\r\n";
  text.erase(0, text.find_first_not_of(blanks));
  text.erase(text.find_last_not_of(blanks) + 1);
  return text;
}

// One control as a reader should hear it. A null name means the control's own text, trimmed.
struct Expected {
  int id;
  long role;
  const wchar_t* name;
  long stateSet, stateClear;  // bits that must be set, bits that must be clear
  const wchar_t* shortcut = nullptr;
};

const long kUnavailable = STATE_SYSTEM_UNAVAILABLE;
const long kInvisible = STATE_SYSTEM_INVISIBLE;
const long kFocusable = STATE_SYSTEM_FOCUSABLE;
const long kChecked = STATE_SYSTEM_CHECKED;
const long kReadOnly = STATE_SYSTEM_READONLY;

void ExpectHeard(HWND dialog, const Expected& expected) {
  HWND control = expected.id == 0 ? dialog : GetDlgItem(dialog, expected.id);
  ASSERT_NE(control, nullptr) << "no control " << expected.id;
  SCOPED_TRACE(testing::Message() << "control " << expected.id);
  const Heard heard = Hear(control);
  ASSERT_TRUE(heard.answered);
  EXPECT_EQ(heard.role, expected.role);
  const std::wstring name = expected.name ? expected.name : Trimmed(WizardDriver::Text(control));
  EXPECT_EQ(heard.name, name);
  EXPECT_EQ(heard.state & expected.stateSet, expected.stateSet) << std::hex << heard.state;
  EXPECT_EQ(heard.state & expected.stateClear, 0) << std::hex << heard.state;
  if (expected.shortcut) {
    EXPECT_EQ(heard.shortcut, expected.shortcut);
  }
}

// Every child of `dialog` but the pages is in the list: no control goes unchecked.
void ExpectAllListed(HWND dialog, std::initializer_list<Expected> list, int unnumbered) {
  int listed = 0, children = 0;
  for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    wchar_t name[16] = L"";
    GetClassNameW(child, name, 16);
    if (wcscmp(name, L"#32770") != 0) ++children;
  }
  for (const Expected& e : list) listed += e.id != 0 && e.id != kUnnumbered ? 1 : 0;
  EXPECT_EQ(listed + unnumbered, children);
  for (const Expected& e : list) ExpectHeard(dialog, e);
}

// The unnumbered controls, told apart by kind.
void ExpectUnnumbered(HWND dialog, int graphics, int separators, int hiddenTexts) {
  int found[3] = {0, 0, 0};
  for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    const int id = GetDlgCtrlID(child);
    if (id != -1 && id != kUnnumbered) continue;
    const Heard heard = Hear(child);
    if (heard.role == ROLE_SYSTEM_GRAPHIC) ++found[0];
    if (heard.role == ROLE_SYSTEM_SEPARATOR) ++found[1];
    if (heard.role == ROLE_SYSTEM_STATICTEXT && (heard.state & kInvisible)) ++found[2];
    EXPECT_EQ(heard.state & kFocusable, 0) << "role " << heard.role;
  }
  EXPECT_EQ(found[0], graphics);
  EXPECT_EQ(found[1], separators);
  EXPECT_EQ(found[2], hiddenTexts);
}

const wchar_t kTitle[] = L"欢迎使用\"KelvamoV1.0.0513 beta版\"安装向导";

}  // namespace

TEST(Accessibility, EveryControlOfEveryPageHasNameRoleAndState) {
  CoInitialize(nullptr);
  WizardDriver setup;
  ASSERT_TRUE(setup.Start());
  ASSERT_TRUE(setup.WaitForPage(WizardPage::Welcome));
  const HWND wizard = setup.Wizard();

  {
    SCOPED_TRACE("welcome");
    ExpectAllListed(wizard, {{kNext, ROLE_SYSTEM_PUSHBUTTON, L"下一步", kFocusable, kUnavailable, L"Alt+N"},
                             {kCancel, ROLE_SYSTEM_PUSHBUTTON, L"取消", kFocusable, kUnavailable, L"Alt+C"},
                             {kBack, ROLE_SYSTEM_PUSHBUTTON, L"上一步", kInvisible, 0, L"Alt+P"}}, 2);
    ExpectUnnumbered(wizard, 0, 1, 1);
    const HWND page = setup.Page(WizardPage::Welcome);
    ExpectHeard(page, {0, ROLE_SYSTEM_PROPERTYPAGE, kTitle, 0, kFocusable});
    ExpectAllListed(page, {{1008, ROLE_SYSTEM_STATICTEXT, kTitle, kReadOnly, kFocusable},
                           {1007, ROLE_SYSTEM_STATICTEXT, nullptr, kReadOnly, kFocusable}}, 1);
    ExpectUnnumbered(page, 1, 0, 0);
  }

  WizardDriver::Click(wizard, kNext);
  ASSERT_TRUE(setup.WaitForPage(WizardPage::Folder));
  {
    SCOPED_TRACE("folder");
    ExpectHeard(wizard, {kBack, ROLE_SYSTEM_PUSHBUTTON, L"上一步", kFocusable, kUnavailable | kInvisible});
    const HWND page = setup.Page(WizardPage::Folder);
    ExpectHeard(page, {0, ROLE_SYSTEM_PROPERTYPAGE, L"选择安装位置", 0, kFocusable});
    ExpectAllListed(page, {{1007, ROLE_SYSTEM_STATICTEXT, L"选择安装位置", kReadOnly, kFocusable},
                           {1008, ROLE_SYSTEM_STATICTEXT, nullptr, kReadOnly, kFocusable},
                           {1009, ROLE_SYSTEM_STATICTEXT, nullptr, kReadOnly, kFocusable},
                           {1010, ROLE_SYSTEM_GROUPING, L"目标文件夹", 0, kFocusable},
                           {kFolderEdit, ROLE_SYSTEM_TEXT, L"目标文件夹", kFocusable, kReadOnly},
                           {1000, ROLE_SYSTEM_PUSHBUTTON, L"浏览...", kFocusable, kUnavailable, L"Alt+B"}}, 2);
    ExpectUnnumbered(page, 1, 1, 0);
    EXPECT_EQ(Hear(setup.Control(WizardPage::Folder, kFolderEdit)).value, L"C:\\Program Files\\kelvamo\\");
  }

  WizardDriver::Click(wizard, kNext);
  ASSERT_TRUE(setup.WaitForPage(WizardPage::Progress));
  const HWND page = setup.Page(WizardPage::Progress);
  {
    SCOPED_TRACE("progress");
    ExpectHeard(page, {0, ROLE_SYSTEM_PROPERTYPAGE, L"正在安装", 0, kFocusable});
    ASSERT_TRUE(WaitUntil([&] { return WizardDriver::Enabled(setup.Button(kNext)); }, kInstallTimeoutMs));
    ExpectAllListed(page, {{1007, ROLE_SYSTEM_STATICTEXT, L"正在安装", kReadOnly, kFocusable},
                           {1008, ROLE_SYSTEM_STATICTEXT, nullptr, kReadOnly, kFocusable},
                           {kProgressBar, ROLE_SYSTEM_PROGRESSBAR, L"正在安装", kReadOnly, kFocusable},
                           {kStatusEdit, ROLE_SYSTEM_TEXT, nullptr, kReadOnly | kFocusable, 0}}, 2);
    ExpectUnnumbered(page, 1, 1, 0);
    EXPECT_EQ(Hear(setup.Control(WizardPage::Progress, kProgressBar)).value, L"100%");
    EXPECT_EQ(Hear(setup.Control(WizardPage::Progress, kStatusEdit)).value, L"Completing...");
    ExpectHeard(wizard, {kNext, ROLE_SYSTEM_PUSHBUTTON, L"下一步", kFocusable, kUnavailable});
    ExpectHeard(wizard, {kBack, ROLE_SYSTEM_PUSHBUTTON, L"上一步", kUnavailable, 0});
    ExpectHeard(wizard, {kCancel, ROLE_SYSTEM_PUSHBUTTON, L"取消", kUnavailable, 0});
  }

  WizardDriver::Click(wizard, kNext);
  ASSERT_TRUE(setup.WaitForPage(WizardPage::Finish));
  {
    SCOPED_TRACE("finish");
    const HWND finish = setup.Page(WizardPage::Finish);
    ExpectHeard(wizard, {kNext, ROLE_SYSTEM_PUSHBUTTON, L"完成", kFocusable, kUnavailable, L"Alt+F"});
    ExpectHeard(finish, {0, ROLE_SYSTEM_PROPERTYPAGE, kTitle, 0, kFocusable});
    ExpectAllListed(finish, {{1011, ROLE_SYSTEM_STATICTEXT, kTitle, kReadOnly, kFocusable},
                             {1012, ROLE_SYSTEM_STATICTEXT, nullptr, kReadOnly, kFocusable},
                             {1006, ROLE_SYSTEM_CHECKBUTTON, L"在开启菜单中添加程序", kChecked | kFocusable, 0},
                             {1007, ROLE_SYSTEM_CHECKBUTTON, L"添加开机启动", kChecked | kFocusable, 0},
                             {1008, ROLE_SYSTEM_CHECKBUTTON, L"添加桌面快捷方式", kChecked | kFocusable, 0},
                             {1009, ROLE_SYSTEM_CHECKBUTTON, L"立即运行程序", kChecked | kFocusable, 0}}, 1);
    ExpectUnnumbered(finish, 1, 0, 0);
    WizardDriver::Click(finish, 1008);
    ASSERT_TRUE(WaitUntil([&] { return !WizardDriver::Checked(GetDlgItem(finish, 1008)); }));
    ExpectHeard(finish, {1008, ROLE_SYSTEM_CHECKBUTTON, L"添加桌面快捷方式", kFocusable, kChecked});
  }

  setup.SystemCommand(SC_CLOSE);
  const HWND question = setup.WaitForOwnedDialog();
  ASSERT_NE(question, nullptr);
  {
    SCOPED_TRACE("exit question");
    ExpectAllListed(question, {{1008, ROLE_SYSTEM_STATICTEXT,
                                L"你确实要退出\"KelvamoV1.0.0513 beta版 \" 的安装程序?", kReadOnly, kFocusable},
                               {kYes, ROLE_SYSTEM_PUSHBUTTON, L"是", kFocusable, kUnavailable, L"Alt+Y"},
                               {kNo, ROLE_SYSTEM_PUSHBUTTON, L"否", kFocusable, kUnavailable, L"Alt+N"}}, 1);
    ExpectUnnumbered(question, 1, 0, 0);
  }
  WizardDriver::Click(question, kYes);
  EXPECT_EQ(setup.WaitForExit(), static_cast<DWORD>(kExitInstalled));
  CoUninitialize();
}
