// Walks setup.exe from the welcome page to the finish page and saves a screenshot of every page
// reached, then leaves through the window menu's Close and the exit question (the finish button
// is not pressed, so nothing is installed beyond what the progress page did).
//
//   demo_walker.exe SETUP_EXE SCREENSHOT_FOLDER
//
// The folder is made if missing. Exits with 0 when every page was reached and saved.
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <string>

#include "tests/wine/wizard_driver.h"

namespace {

// Long enough for an installation of the whole product.
const DWORD kInstallTimeoutMs = 10 * 60 * 1000;

std::wstring WindowsPath(std::wstring path) {
  for (wchar_t& c : path) {
    if (c == L'/') c = L'\\';
  }
  return path;
}

class Walk {
public:
  Walk(WizardDriver& setup, std::wstring folder) : m_setup(setup), m_folder(std::move(folder)) {}

  bool Shot(const wchar_t* name, DWORD paintMs = 500) {
    Sleep(paintMs);  // let the page paint
    const std::wstring path = m_folder + L"\\" + name + L".bmp";
    if (m_setup.SaveScreenshot(path)) return true;
    return Fail(L"cannot save %ls", path.c_str());
  }

  bool Next(WizardPage page, const wchar_t* name) {
    WizardDriver::Click(m_setup.Wizard(), kNext);
    if (!m_setup.WaitForPage(page)) return Fail(L"page %ls did not show", name);
    return Shot(name);
  }

  bool Fail(const wchar_t* format, const wchar_t* what) {
    fwprintf(stderr, L"demo_walker: ");
    fwprintf(stderr, format, what);
    fwprintf(stderr, L"\n");
    return false;
  }

private:
  WizardDriver& m_setup;
  std::wstring m_folder;
};

bool WalkTheWizard(WizardDriver& setup, Walk& walk) {
  if (!setup.WaitForPage(WizardPage::Welcome)) return walk.Fail(L"%ls", L"the welcome page did not show");
  if (!walk.Shot(L"1-welcome") || !walk.Next(WizardPage::Folder, L"2-folder")) return false;
  WizardDriver::Click(setup.Wizard(), kNext);
  if (!setup.WaitForPage(WizardPage::Progress)) return walk.Fail(L"%ls", L"the progress page did not show");
  // Taken mid-extraction when the run allows, so the page shows the bar moving and the
  // extractor's row; a run too quick for that is shot as it stands.
  HWND bar = setup.Control(WizardPage::Progress, kProgressBar);
  HWND next = setup.Button(kNext);
  const bool midway = WaitUntil([&] {
    const int position = WizardDriver::ProgressPosition(bar);
    return (position > 0 && position < 100) || WizardDriver::Enabled(next);
  });
  if (!walk.Shot(L"3-progress", midway ? 100 : 500)) return false;
  if (!WaitUntil([&] { return WizardDriver::Enabled(next); }, kInstallTimeoutMs)) {
    return walk.Fail(L"%ls", L"the installation did not complete in time");
  }
  if (!walk.Shot(L"3-progress-done") || !walk.Next(WizardPage::Finish, L"4-finish")) return false;

  setup.SystemCommand(SC_CLOSE);
  HWND question = setup.WaitForOwnedDialog();
  if (!question) return walk.Fail(L"%ls", L"the exit question did not show");
  if (!walk.Shot(L"5-exit-question")) return false;
  WizardDriver::Click(question, kYes);
  return setup.WaitForExit(10000) == 0 || walk.Fail(L"%ls", L"setup.exe did not end");
}

}  // namespace

int main() {
  int argc = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  if (!argv || argc != 3) {
    fwprintf(stderr, L"usage: demo_walker.exe SETUP_EXE SCREENSHOT_FOLDER\n");
    return 2;
  }
  WizardDriver setup;
  if (!setup.Start(WindowsPath(argv[1]))) {
    fwprintf(stderr, L"demo_walker: cannot start %ls\n", argv[1]);
    return 1;
  }
  const std::wstring folder = WindowsPath(argv[2]);
  CreateDirectoryW(folder.c_str(), nullptr);
  Walk walk(setup, folder);
  const bool walked = WalkTheWizard(setup, walk);
  LocalFree(argv);
  return walked ? 0 : 1;
}
