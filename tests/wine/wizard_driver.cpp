#include "tests/wine/wizard_driver.h"

#include <commctrl.h>

#include <cstdio>
#include <vector>

const wchar_t kWizardCaption[] = L"KelvamoV" KELVAMO_BUILD_VERSION L"版 安装";

std::wstring WizardCaptionOf(const std::string& version) {
  return L"KelvamoV" + std::wstring(version.begin(), version.end()) + L"版 安装";
}

namespace {

const DWORD kMessageTimeoutMs = 5000;

bool IsDialogClass(HWND window) {
  wchar_t name[16] = {};
  GetClassNameW(window, name, 16);
  return wcscmp(name, L"#32770") == 0;
}

DWORD ProcessOf(HWND window) {
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  return pid;
}

struct DialogSearch {
  DWORD pid;
  const std::function<bool(HWND)>* accept;
  HWND found;
};

BOOL CALLBACK ConsiderTopLevelWindow(HWND window, LPARAM context) {
  auto* search = reinterpret_cast<DialogSearch*>(context);
  if (ProcessOf(window) != search->pid || !IsDialogClass(window) || !IsWindowVisible(window)) return TRUE;
  if (!(*search->accept)(window)) return TRUE;
  search->found = window;
  return FALSE;
}

// The first visible top-level dialog of process `pid` that `accept` takes.
HWND FindTopLevelDialog(DWORD pid, const std::function<bool(HWND)>& accept) {
  DialogSearch search = {pid, &accept, nullptr};
  EnumWindows(&ConsiderTopLevelWindow, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// Waits up to `timeoutMs` for such a dialog.
HWND WaitForDialog(DWORD pid, const std::function<bool(HWND)>& accept, DWORD timeoutMs) {
  HWND found = nullptr;
  WaitUntil(
      [&] {
        found = FindTopLevelDialog(pid, accept);
        return found != nullptr;
      },
      timeoutMs);
  return found;
}

bool PageIs(HWND page, WizardPage kind) {
  const bool folder = GetDlgItem(page, 1010) != nullptr;
  const bool progress = GetDlgItem(page, 1005) != nullptr;
  const bool finish = GetDlgItem(page, 1011) != nullptr;
  switch (kind) {
    case WizardPage::Welcome: return !folder && !progress && !finish && GetDlgItem(page, 1008);
    case WizardPage::Folder: return folder;
    case WizardPage::Progress: return progress;
    case WizardPage::Finish: return finish;
  }
  return false;
}

}  // namespace

bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs) {
  const DWORD start = GetTickCount();
  for (;;) {
    if (condition()) return true;
    if (GetTickCount() - start >= timeoutMs) return false;
    Sleep(20);
  }
}

WizardDriver::~WizardDriver() {
  if (!m_process.hProcess) return;
  if (WaitForSingleObject(m_process.hProcess, 0) == WAIT_TIMEOUT) {
    TerminateProcess(m_process.hProcess, 1);
    WaitForSingleObject(m_process.hProcess, 5000);
  }
  CloseHandle(m_process.hThread);
  CloseHandle(m_process.hProcess);
}

std::wstring WizardDriver::SetupExePath() {
  // The build passes the Linux path; Wine shows the Linux root as drive Z:.
  std::wstring path = L"Z:" KELVAMO_SETUP_EXE;
  for (wchar_t& c : path) {
    if (c == L'/') c = L'\\';
  }
  return path;
}

bool WizardDriver::Launch(const std::wstring& exePath) {
  std::wstring commandLine = L"\"" + exePath + L"\"";
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  return CreateProcessW(exePath.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &startup, &m_process);
}

void WizardDriver::AcceptRecoveryMessage(DWORD pid) {
  const HWND box = FindTopLevelDialog(pid, [](HWND window) {
    return Text(GetDlgItem(window, 0xFFFF)).rfind(kRecoveryMessageStart, 0) == 0;
  });
  if (!box) return;
  m_recoveryMessage = Text(GetDlgItem(box, 0xFFFF));
  Click(box, IDOK);
}

void WizardDriver::LeaveRunning() {
  CloseHandle(m_process.hThread);
  CloseHandle(m_process.hProcess);
  m_process = {};
}

bool WizardDriver::Start(const std::wstring& exePath) {
  if (!Launch(exePath)) return false;
  const DWORD pid = m_process.dwProcessId;
  // Generous: a busy machine starts Wine processes slowly. A program that ended or shows something
  // else is told at once, so a failure says why.
  bool ended = false;
  WaitUntil(
      [&] {
        m_wizard = FindTopLevelDialog(pid, [](HWND window) {
          // Every version's wizard: "KelvamoV<version>版 安装".
          wchar_t caption[64] = {};
          const std::wstring text(caption, GetWindowTextW(window, caption, 64));
          const std::wstring end = L"版 安装";
          return GetWindow(window, GW_OWNER) == nullptr && text.rfind(L"KelvamoV", 0) == 0 &&
                 text.size() > end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
        });
        ended = WaitForSingleObject(m_process.hProcess, 0) == WAIT_OBJECT_0;
        // A run an earlier test cut off is restored first, and says so: part of starting.
        if (!m_wizard && !ended) AcceptRecoveryMessage(pid);
        return m_wizard != nullptr || ended;
      },
      60000);
  if (m_wizard) return true;
  if (ended) {
    std::fprintf(stderr, "setup.exe ended with exit code %lu before its wizard showed\n", WaitForExit(0));
  } else {
    const HWND other = FindTopLevelDialog(pid, [](HWND) { return true; });
    wchar_t caption[128] = {};
    if (other) GetWindowTextW(other, caption, 128);
    std::fprintf(stderr, "setup.exe shows no wizard after 60 s; its dialog: %ls\n", other ? caption : L"(none)");
  }
  return false;
}

DWORD WizardDriver::WaitForExit(DWORD timeoutMs) {
  DWORD code = STILL_ACTIVE;
  if (WaitForSingleObject(m_process.hProcess, timeoutMs) == WAIT_OBJECT_0) {
    GetExitCodeProcess(m_process.hProcess, &code);
  }
  return code;
}

HWND WizardDriver::Page(WizardPage page) const {
  for (HWND child = FindWindowExW(m_wizard, nullptr, L"#32770", nullptr); child;
       child = FindWindowExW(m_wizard, child, L"#32770", nullptr)) {
    if (PageIs(child, page)) return child;
  }
  return nullptr;
}

bool WizardDriver::WaitForPage(WizardPage page, DWORD timeoutMs) const {
  return WaitUntil(
      [&] {
        WizardPage shown;
        return VisiblePage(&shown) && shown == page;
      },
      timeoutMs);
}

bool WizardDriver::VisiblePage(WizardPage* page) const {
  int visible = 0;
  for (WizardPage candidate : {WizardPage::Welcome, WizardPage::Folder, WizardPage::Progress,
                               WizardPage::Finish}) {
    if (Visible(Page(candidate))) {
      *page = candidate;
      ++visible;
    }
  }
  return visible == 1;
}

void WizardDriver::Click(HWND dialog, int id) {
  // As with the mouse: a disabled or hidden button cannot be clicked.
  HWND button = GetDlgItem(dialog, id);
  if (IsWindowEnabled(button) && IsWindowVisible(button)) PostMessageW(button, BM_CLICK, 0, 0);
}

void WizardDriver::PressKey(UINT virtualKey) const {
  GUITHREADINFO info = {};
  info.cbSize = sizeof(info);
  GetGUIThreadInfo(GetWindowThreadProcessId(m_wizard, nullptr), &info);
  HWND target = info.hwndFocus ? info.hwndFocus : m_wizard;
  PostMessageW(target, WM_KEYDOWN, virtualKey, 1);
  PostMessageW(target, WM_KEYUP, virtualKey, 0xC0000001);
}

bool WizardDriver::BringToFront() const {
  HWND front = GetLastActivePopup(m_wizard);
  SetForegroundWindow(front);
  return WaitUntil([&] { return GetForegroundWindow() == front; });
}

void WizardDriver::Type(WORD virtualKey, bool alt, bool shift) {
  std::vector<INPUT> keys;
  auto stroke = [&keys](WORD key, bool up) {
    INPUT input = {};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = key;
    input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    keys.push_back(input);
  };
  if (alt) stroke(VK_MENU, false);
  if (shift) stroke(VK_SHIFT, false);
  stroke(virtualKey, false);
  stroke(virtualKey, true);
  if (shift) stroke(VK_SHIFT, true);
  if (alt) stroke(VK_MENU, true);
  SendInput(static_cast<UINT>(keys.size()), keys.data(), sizeof(INPUT));
  Sleep(150);  // the target handles it on its own thread
}

HWND WizardDriver::Focus() const {
  GUITHREADINFO info = {};
  info.cbSize = sizeof(info);
  GetGUIThreadInfo(GetWindowThreadProcessId(m_wizard, nullptr), &info);
  return info.hwndFocus;
}

void WizardDriver::SystemCommand(WPARAM command) const {
  PostMessageW(m_wizard, WM_SYSCOMMAND, command, 0);
}

std::wstring WizardDriver::Text(HWND window) {
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, kMessageTimeoutMs, &length)) {
    return L"<no answer>";
  }
  std::vector<wchar_t> buffer(length + 1, L'\0');
  DWORD_PTR copied = 0;
  SendMessageTimeoutW(window, WM_GETTEXT, buffer.size(), reinterpret_cast<LPARAM>(buffer.data()),
                      SMTO_ABORTIFHUNG, kMessageTimeoutMs, &copied);
  return std::wstring(buffer.data(), copied);
}

bool WizardDriver::SetText(HWND window, const std::wstring& text) {
  DWORD_PTR result = 0;
  return SendMessageTimeoutW(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()),
                             SMTO_ABORTIFHUNG, kMessageTimeoutMs, &result) && result;
}

bool WizardDriver::Checked(HWND checkBox) {
  DWORD_PTR state = 0;
  SendMessageTimeoutW(checkBox, BM_GETCHECK, 0, 0, SMTO_ABORTIFHUNG, kMessageTimeoutMs, &state);
  return state == BST_CHECKED;
}

int WizardDriver::ProgressPosition(HWND progressBar) {
  DWORD_PTR position = 0;
  SendMessageTimeoutW(progressBar, PBM_GETPOS, 0, 0, SMTO_ABORTIFHUNG, kMessageTimeoutMs, &position);
  return static_cast<int>(position);
}

HWND WizardDriver::WaitForOwnedDialog(DWORD timeoutMs) const {
  return WaitForDialog(
      ProcessId(), [this](HWND window) { return GetWindow(window, GW_OWNER) == m_wizard; },
      timeoutMs);
}

HWND WizardDriver::WaitForTopLevelDialog(DWORD timeoutMs) const {
  return WaitForDialog(ProcessId(), [](HWND) { return true; }, timeoutMs);
}

HWND WizardDriver::WaitForMessageBox(DWORD timeoutMs) const {
  return WaitForDialog(
      ProcessId(), [](HWND window) { return GetDlgItem(window, 0xFFFF) != nullptr; }, timeoutMs);
}

bool WizardDriver::NoOwnedDialogFor(DWORD forMs) const { return WaitForOwnedDialog(forMs) == nullptr; }

bool WizardDriver::SaveScreenshot(const std::wstring& bmpPath) const {
  RECT rect;
  if (!GetWindowRect(m_wizard, &rect)) return false;
  const int width = rect.right - rect.left, height = rect.bottom - rect.top;
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
  HGDIOBJ old = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
  SelectObject(memory, old);

  BITMAPINFOHEADER info = {};
  info.biSize = sizeof(info);
  info.biWidth = width;
  info.biHeight = height;
  info.biPlanes = 1;
  info.biBitCount = 24;
  const DWORD rowBytes = (static_cast<DWORD>(width) * 3 + 3) & ~3u;
  std::vector<BYTE> pixels(static_cast<size_t>(rowBytes) * height);
  const bool read = GetDIBits(memory, bitmap, 0, height, pixels.data(),
                              reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS) == height;
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  if (!read) return false;

  BITMAPFILEHEADER file = {};
  file.bfType = 0x4D42;
  file.bfOffBits = sizeof(file) + sizeof(info);
  file.bfSize = file.bfOffBits + static_cast<DWORD>(pixels.size());
  FILE* out = _wfopen(bmpPath.c_str(), L"wb");
  if (!out) return false;
  bool written = fwrite(&file, sizeof(file), 1, out) == 1 && fwrite(&info, sizeof(info), 1, out) == 1 &&
                 fwrite(pixels.data(), 1, pixels.size(), out) == pixels.size();
  written = fclose(out) == 0 && written;
  return written;
}
