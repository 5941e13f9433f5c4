#include "setup/ui/dialog_keys.h"

#include <vector>

#include "setup/ui/key_hints.h"

using namespace kelvamo;

namespace {

constexpr LPARAM kAltHeld = 1 << 29;

bool IsPushButton(HWND window) {
  wchar_t name[16] = L"";
  ::GetClassNameW(window, name, 16);
  if (::lstrcmpiW(name, L"Button") != 0) return false;
  const LONG type = ::GetWindowLongW(window, GWL_STYLE) & BS_TYPEMASK;
  return type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON || type == BS_OWNERDRAW;
}

std::wstring Caption(HWND window) {
  wchar_t text[128] = L"";
  ::GetWindowTextW(window, text, 128);
  return text;
}

BOOL CALLBACK CollectPushButton(HWND window, LPARAM list) {
  if (IsPushButton(window)) reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
  return TRUE;
}

// As a click does: the button's parent hears of it.
void Press(HWND button) {
  ::SendMessageW(::GetParent(button), WM_COMMAND,
                 MAKEWPARAM(::GetDlgCtrlID(button), BN_CLICKED), reinterpret_cast<LPARAM>(button));
}

bool TakesFocus(HWND window) {
  const LONG style = ::GetWindowLongW(window, GWL_STYLE);
  return (style & WS_TABSTOP) && ::IsWindowVisible(window) && ::IsWindowEnabled(window);
}

}  // namespace

bool PressHintedButton(HWND dialog, const MSG& msg, bool lettersAlone) {
  const bool typed = msg.message == WM_SYSCHAR || (msg.message == WM_CHAR && lettersAlone);
  if (!typed) return false;
  std::vector<HWND> windows;
  ::EnumChildWindows(dialog, &CollectPushButton, reinterpret_cast<LPARAM>(&windows));
  std::vector<HintedButton> buttons;
  for (HWND window : windows) {
    buttons.push_back({KeyHintOf(Caption(window)),
                       ::IsWindowVisible(window) && ::IsWindowEnabled(window)});
  }
  auto character = static_cast<unsigned>(msg.wParam);
  if (character >= 'a' && character <= 'z') character -= 'a' - 'A';
  const auto pressed = ButtonForKey(buttons, character, (msg.lParam & kAltHeld) != 0, lettersAlone);
  if (!pressed) return false;
  Press(windows[*pressed]);
  return true;
}

bool PressFocusedButton(HWND dialog, const MSG& msg) {
  if (msg.message != WM_KEYDOWN || msg.wParam != VK_RETURN) return false;
  HWND focus = ::GetFocus();
  if (!focus || !::IsChild(dialog, focus) || !IsPushButton(focus) || !::IsWindowEnabled(focus)) {
    return false;
  }
  Press(focus);
  return true;
}

void LetTabEnter(HWND page) {
  const LONG extended = ::GetWindowLongW(page, GWL_EXSTYLE);
  ::SetWindowLongW(page, GWL_EXSTYLE, extended | WS_EX_CONTROLPARENT);
}

void SetTabOrder(std::initializer_list<HWND> windows) {
  HWND after = HWND_TOP;
  for (HWND window : windows) {
    ::SetWindowPos(window, after, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    after = window;
  }
}

void FocusFirstControl(HWND dialog, HWND page, HWND fallback) {
  HWND target = nullptr;
  for (HWND child = ::GetWindow(page, GW_CHILD); child && !target;
       child = ::GetWindow(child, GW_HWNDNEXT)) {
    if (TakesFocus(child)) target = child;
  }
  if (!target && fallback && ::IsWindowEnabled(fallback) && ::IsWindowVisible(fallback)) {
    target = fallback;
  }
  if (!target) return;
  ::SendMessageW(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(target), TRUE);
  // The dialog manager selects an edit's text as it takes the focus; a status line that only
  // shows progress stays unmarked.
  if (::GetWindowLongW(target, GWL_STYLE) & ES_READONLY) ::SendMessageW(target, EM_SETSEL, 0, 0);
}
