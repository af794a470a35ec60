#pragma once
// Moves a window, without resizing it, so that it is centred on a point and
// stays inside the work area (its top left corner wins when it is larger).
#include <windows.h>

enum PlaceMode {
    kPlaceOnWorkArea = 0,
    kPlaceOnCursor = 1,
    kPlaceOnParent = 2,
    kPlaceOnVisibleParentElseWorkArea = 3,
    kPlaceOnVisibleParentElseCursor = 4,
};

// False when a system call failed.
bool PlaceWindow(HWND window, int mode);
