#pragma once
#include <windows.h>

#include <initializer_list>

// The wizard's own keys beside the dialog manager's: the letters that captions hint at
// ("下一步(N) >" answers Alt+N), Enter on a focused button, and where the focus goes when a page
// shows. Called from a dialog's PreTranslateMessage.

// A character typed with Alt (WM_SYSCHAR), or alone (WM_CHAR) where `lettersAlone`, presses the
// visible, enabled push button inside `dialog` (its pages included) whose caption hints at it.
// True when a button was pressed.
bool PressHintedButton(HWND dialog, const MSG& msg, bool lettersAlone);

// Enter on a push button that has the focus presses that button, not the dialog's default.
bool PressFocusedButton(HWND dialog, const MSG& msg);

// Lets Tab move into and out of `page`, a child dialog, as through the dialog's own controls.
void LetTabEnter(HWND page);

// Orders the dialog's children for Tab: each after the one before it, the first on top.
void SetTabOrder(std::initializer_list<HWND> windows);

// Gives the focus to the first control of `page` that takes it, else to `fallback` if enabled.
void FocusFirstControl(HWND dialog, HWND page, HWND fallback);
