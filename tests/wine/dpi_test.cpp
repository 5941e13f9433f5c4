// The wizard, its pages and the exit question made in-process at 96 and at 144 DPI (the prefix's
// LogPixels, read when a process starts): every control's rectangle and font at 144 DPI are those
// of 96 DPI times one and a half, within a pixel's rounding, and every picture fills its control.
#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "setup/app/setup_dlg.h"
#include "setup/pages/exit_confirm_dlg.h"
#include "setup/res/resource.h"

namespace {

const char kMeasureInto[] = "KELVAMO_DPI_MEASURE";
const wchar_t kDesktopKey[] = L"Control Panel\\Desktop";

// Aware of the DPI before any window is made, so the platform hands out unscaled pixels.
const bool kAware = [] {
  using SetAware = BOOL(WINAPI*)();
  auto set = reinterpret_cast<SetAware>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleA("user32.dll"), "SetProcessDPIAware")));
  return set && set();
}();

struct Facts {
  int id;
  RECT rect;        // in the dialog's client area
  int fontHeight;   // height the control's font was asked for, 0 without one
  bool etched;      // a separator line
  SIZE picture;     // size of a picture static's bitmap, else 0 by 0
};

// Cell or character height alike: the fonts are asked for by pixels, the realised heights follow
// the font engine's hinting.
int FontHeight(HWND control) {
  HFONT font = reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0));
  LOGFONTA asked = {};
  if (!font || !GetObjectA(font, sizeof(asked), &asked)) return 0;
  return std::abs(asked.lfHeight);
}

void Describe(std::ostream& out, HWND dialog) {
  RECT client;
  GetClientRect(dialog, &client);
  out << "dialog " << client.right << ' ' << client.bottom << '\n';
  for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    char className[32] = "";
    GetClassNameA(child, className, sizeof(className));
    if (std::string(className) == "#32770") continue;  // the pages, described on their own
    RECT rect;
    GetWindowRect(child, &rect);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
    BITMAP bitmap = {};
    const bool isStatic = std::string(className) == "Static";
    const LONG type = GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK;
    const bool picture = isStatic && type == SS_BITMAP;
    const bool etched = isStatic && type >= SS_ETCHEDHORZ && type <= SS_ETCHEDFRAME;
    if (picture) {
      HGDIOBJ image = reinterpret_cast<HGDIOBJ>(SendMessageA(child, STM_GETIMAGE, IMAGE_BITMAP, 0));
      GetObjectA(image, sizeof(bitmap), &bitmap);
    }
    out << "control " << GetDlgCtrlID(child) << ' ' << rect.left << ' ' << rect.top << ' '
        << rect.right << ' ' << rect.bottom << ' ' << FontHeight(child) << ' ' << bitmap.bmWidth
        << ' ' << bitmap.bmHeight << ' ' << etched << '\n';
  }
}

struct Dialog {
  SIZE client;
  std::vector<Facts> controls;
};

std::vector<Dialog> Read(const std::string& path) {
  std::ifstream in(path);
  std::vector<Dialog> dialogs;
  std::string word;
  while (in >> word) {
    if (word == "dialog") {
      dialogs.push_back({});
      in >> dialogs.back().client.cx >> dialogs.back().client.cy;
      continue;
    }
    Facts f{};
    in >> f.id >> f.rect.left >> f.rect.top >> f.rect.right >> f.rect.bottom >> f.fontHeight >>
        f.picture.cx >> f.picture.cy >> f.etched;
    if (!dialogs.empty()) dialogs.back().controls.push_back(f);
  }
  return dialogs;
}

// Runs this program's measuring case at `dpi`; the facts it wrote, one entry a dialog.
std::vector<Dialog> MeasureAt(int dpi) {
  HKEY key;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, kDesktopKey, 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS) return {};
  const DWORD value = dpi;
  RegSetValueExW(key, L"LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                 sizeof(value));
  char temp[MAX_PATH];
  GetTempPathA(MAX_PATH, temp);
  const std::string path = std::string(temp) + "kelvamo_dpi_" + std::to_string(dpi) + ".txt";
  DeleteFileA(path.c_str());
  SetEnvironmentVariableA(kMeasureInto, path.c_str());
  char self[MAX_PATH];
  GetModuleFileNameA(nullptr, self, MAX_PATH);
  std::string command = std::string("\"") + self + "\" --gtest_filter=DpiMeasure.*";
  STARTUPINFOA startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process = {};
  if (CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                     &startup, &process)) {
    WaitForSingleObject(process.hProcess, 60000);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
  }
  SetEnvironmentVariableA(kMeasureInto, nullptr);
  RegDeleteValueW(key, L"LogPixels");  // back to the prefix's 96
  RegCloseKey(key);
  return Read(path);
}

// Within a pixel's rounding of one and a half times the 96-DPI value.
void ExpectOneAndAHalf(int at96, int at144, const std::string& what) {
  EXPECT_LE(std::abs(2 * at144 - 3 * at96), 2) << what << ": " << at96 << " became " << at144;
}

}  // namespace

// The child's half: makes the dialogs at the DPI it started with and writes their facts.
TEST(DpiMeasure, WritesTheFactsOfEveryDialog) {
  const char* into = std::getenv(kMeasureInto);
  if (!into) GTEST_SKIP() << "run by DpiScaling";
  ASSERT_TRUE(kAware);
  INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_PROGRESS_CLASS};
  InitCommonControlsEx(&controls);
  CSetupDlg wizard;
  ASSERT_TRUE(wizard.Create(IDD_SETUP_DIALOG, nullptr));
  CExitConfirmDlg question;
  ASSERT_TRUE(question.Create(IDD_EXIT_CONFIRM, &wizard));
  std::ofstream out(into);
  ASSERT_EQ(WindowDpi(wizard.m_hWnd), wizard.m_layout.Dpi());
  for (const CWnd* dialog : {static_cast<CWnd*>(&wizard), static_cast<CWnd*>(&wizard.m_pageWelcome),
                             static_cast<CWnd*>(&wizard.m_pageFolder),
                             static_cast<CWnd*>(&wizard.m_pageProgress),
                             static_cast<CWnd*>(&wizard.m_pageFinish),
                             static_cast<CWnd*>(&question)}) {
    Describe(out, dialog->m_hWnd);
  }
  DestroyWindow(question.m_hWnd);
  DestroyWindow(wizard.m_hWnd);
}

TEST(DpiScaling, At144DpiEveryControlAndFontIsOneAndAHalfTimesItsSizeAt96) {
  const std::vector<Dialog> at96 = MeasureAt(96);
  const std::vector<Dialog> at144 = MeasureAt(144);
  const char* names[] = {"wizard", "welcome", "folder", "progress", "finish", "exit question"};
  ASSERT_EQ(at96.size(), 6u);
  ASSERT_EQ(at144.size(), 6u);
  for (size_t d = 0; d < at96.size(); ++d) {
    const std::string dialog = names[d];
    // The pages take the placeholder's size, which the wizard's own facts hold.
    if (d == 0 || d == 5) {
      ExpectOneAndAHalf(at96[d].client.cx, at144[d].client.cx, dialog + " width");
      ExpectOneAndAHalf(at96[d].client.cy, at144[d].client.cy, dialog + " height");
    }
    ASSERT_EQ(at96[d].controls.size(), at144[d].controls.size()) << dialog;
    for (size_t c = 0; c < at96[d].controls.size(); ++c) {
      const Facts& small = at96[d].controls[c];
      const Facts& large = at144[d].controls[c];
      const std::string what = dialog + " control " + std::to_string(c) + " (" +
                               std::to_string(small.id) + ")";
      ExpectOneAndAHalf(small.rect.left, large.rect.left, what + " left");
      ExpectOneAndAHalf(small.rect.top, large.rect.top, what + " top");
      // Wine widens a separator by two pixels when it makes it, not when it is moved.
      if (!small.etched) ExpectOneAndAHalf(small.rect.right, large.rect.right, what + " right");
      ExpectOneAndAHalf(small.rect.bottom, large.rect.bottom, what + " bottom");
      if (small.fontHeight) ExpectOneAndAHalf(small.fontHeight, large.fontHeight, what + " font");
      if (!small.picture.cx) continue;
      EXPECT_EQ(large.picture.cx, large.rect.right - large.rect.left) << what << " picture";
      EXPECT_EQ(large.picture.cy, large.rect.bottom - large.rect.top) << what << " picture";
      ExpectOneAndAHalf(small.picture.cx, large.picture.cx, what + " picture width");
    }
  }
}
