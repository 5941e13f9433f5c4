#pragma once
#include <windows.h>

#include "setup/ui/contrast_colours.h"

// Whether the user has asked for high contrast: the system's own answer, or, where the system
// keeps no such state (Wine answers "off" whatever is set), the setting Windows stores for it
// under HKCU\Control Panel\Accessibility\HighContrast.
bool HighContrastOn();

COLORREF SystemColourOf(kelvamo::SystemColour colour);
HBRUSH SystemBrushOf(kelvamo::SystemColour colour);

// A top-level dialog told that the system's colours or the contrast setting changed
// (WM_SYSCOLORCHANGE, WM_SETTINGCHANGE): its controls hear of it and everything is painted again.
// True when the message was about colours.
bool RepaintForNewColours(HWND dialog, UINT message, WPARAM wParam);
