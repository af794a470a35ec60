#pragma once
// Fonts, icons and colours of windows.
#include <windows.h>

// The font the window uses (WM_GETFONT, the system font when it names none);
// zeroed when it cannot be read.
LOGFONTA GetWindowFontInfo(HWND window);

// The icon at the resource's own size, shared: never destroyed by its user.
HICON LoadSharedIcon(HINSTANCE module, int resourceId);

// The nearest colour the window's device can show; the colour itself when no
// device context can be had.
COLORREF NearestColor(COLORREF color, HWND window);
