#pragma once
// The modeless window that describes the package contents.
#include <windows.h>

#include "ZeRizIva/datavect.h"

// Sent to the owner when the window is destroyed.
inline constexpr UINT kPackageContentsClosed = WM_USER + 1;

// The window's in-memory template.
datavect MakePackageContentsTemplate();

// Creates the window, owned by owner, placed at the mouse cursor. Raises
// InstallError when the description resource is missing.
HWND OpenPackageContentsWindow(HWND owner, const datavect& dialogTemplate);
