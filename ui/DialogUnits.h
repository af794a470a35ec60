#pragma once
// Dialog units of one dialog window (its font) in pixels. Zero stays zero.
#include <windows.h>

int DialogUnitsToPixelsX(HWND dialog, int units);
int DialogUnitsToPixelsY(HWND dialog, int units);

// Minimum tracking size of a resizable dialog: a client size in dialog units
// plus the sizing border on both sides and, for the height, the caption.
POINT MinimumTrackingSize(HWND dialog, int widthUnits, int heightUnits);
