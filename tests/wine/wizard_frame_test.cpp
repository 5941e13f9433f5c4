// The wizard frame in-process, where its members and window menu can be seen: the install folder
// as Next leaves the folder page, and the window menu over the steps.
#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>

#include "setup/app/setup_dlg.h"
#include "setup/res/resource.h"

namespace {

BOOL CALLBACK CloseIfMessageBox(HWND window, LPARAM) {
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  char name[16] = {};
  GetClassNameA(window, name, sizeof(name));
  if (pid == GetCurrentProcessId() && std::string(name) == "#32770" && IsWindowVisible(window) &&
      GetDlgItem(window, 0xFFFF)) {
    PostMessageA(window, WM_COMMAND, IDOK, 0);
  }
  return TRUE;
}

// Next on the folder page starts the real installation in this process, which carries no payload:
// it ends in a message box (a folder error or a failed installation). This answers each one.
class MessageBoxAnswerer {
public:
  MessageBoxAnswerer()
      : m_thread([this] {
          for (; !m_stop; Sleep(50)) EnumWindows(CloseIfMessageBox, 0);
        }) {}
  ~MessageBoxAnswerer() {
    m_stop = true;
    m_thread.join();
  }

private:
  std::atomic<bool> m_stop{false};
  std::thread m_thread;
};

class WizardFrame : public ::testing::Test {
protected:
  void SetUp() override {
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&controls);
    ASSERT_TRUE(wizard.Create(IDD_SETUP_DIALOG, nullptr));
  }
  void TearDown() override { DestroyWindow(wizard.m_hWnd); }

  void Press(int id) { SendMessageA(wizard.m_hWnd, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0); }
  UINT CloseState() { return GetMenuState(GetSystemMenu(wizard.m_hWnd, FALSE), SC_CLOSE, MF_BYCOMMAND); }

  MessageBoxAnswerer answerer;
  CSetupDlg wizard;
};

}  // namespace

TEST_F(WizardFrame, LeavingTheFolderPageNormalisesWhatWasTyped) {
  ASSERT_EQ(GetACP(), 936u);
  const struct {
    const char* typed;
    const char* installDir;
  } cases[] = {
      {"D:\\Apps", "D:\\Apps\\"},
      {"D:\\Apps\\\\ ", "D:\\Apps\\"},
      {"C:\\", "C:\\"},
      {"D:\\Apps \\", "D:\\Apps \\"},
      {"", "\\"},
      {"  D:\\x", "  D:\\x\\"},
      {"D:\\\xDA\x5C", "D:\\\xDA\x5C\\"},  // 赲: a trail byte that looks like a backslash stays
  };
  Press(IDC_NEXT);
  for (const auto& c : cases) {
    ASSERT_EQ(wizard.m_nStep, 2);
    SetDlgItemTextA(wizard.m_pageFolder.m_hWnd, IDC_FOLDER_EDIT, c.typed);
    Press(IDC_NEXT);
    EXPECT_EQ(std::string(wizard.m_pageFolder.m_strInstallDir), c.installDir) << '"' << c.typed << '"';
    // A folder that cannot be made has put the wizard back on step 2 already.
    if (wizard.m_nStep == 3) Press(IDC_BACK);
  }
}

TEST_F(WizardFrame, WindowMenuOffersAboutAndGraysCloseFromStepThreeOn) {
  HMENU menu = GetSystemMenu(wizard.m_hWnd, FALSE);
  const int count = GetMenuItemCount(menu);
  ASSERT_GE(count, 2);
  EXPECT_EQ(GetMenuItemID(menu, count - 1), static_cast<UINT>(IDM_ABOUTBOX));
  wchar_t about[64] = {};
  GetMenuStringW(menu, count - 1, about, 64, MF_BYPOSITION);
  EXPECT_STREQ(about, L"关于 setup(&A)...");
  EXPECT_EQ(GetMenuState(menu, count - 2, MF_BYPOSITION) & MF_SEPARATOR, static_cast<UINT>(MF_SEPARATOR));

  EXPECT_EQ(CloseState() & MF_GRAYED, 0u);
  Press(IDC_NEXT);
  EXPECT_EQ(CloseState() & MF_GRAYED, 0u);
  Press(IDC_NEXT);
  EXPECT_EQ(CloseState() & MF_GRAYED, static_cast<UINT>(MF_GRAYED));
  // Nothing enables it again, not even going back.
  Press(IDC_BACK);
  EXPECT_EQ(wizard.m_nStep, 2);
  EXPECT_EQ(CloseState() & MF_GRAYED, static_cast<UINT>(MF_GRAYED));
}

TEST_F(WizardFrame, StepsOutsideOneToFourChangeNoWindow) {
  Press(IDC_NEXT);
  for (int step : {0, 5, 7, -3}) {
    wizard.m_nStep = step;
    wizard.ShowStep();
    EXPECT_TRUE(IsWindowVisible(wizard.m_pageFolder.m_hWnd)) << step;
    EXPECT_FALSE(IsWindowVisible(wizard.m_pageWelcome.m_hWnd)) << step;
    EXPECT_TRUE(IsWindowVisible(wizard.m_btnBack.m_hWnd)) << step;
  }
}
