#include "WindowPlacement.h"

#include <algorithm>

namespace {

POINT Middle(const RECT& rect)
{
    return {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
}

// A window without a parent, and a hidden or minimised parent, fall back to
// the work area or the cursor.
int EffectiveMode(HWND parent, int mode)
{
    const bool parentShown = parent && IsWindowVisible(parent) && !IsIconic(parent);
    switch (mode) {
    case kPlaceOnParent:
        return parent ? kPlaceOnParent : kPlaceOnWorkArea;
    case kPlaceOnVisibleParentElseWorkArea:
        return parentShown ? kPlaceOnParent : kPlaceOnWorkArea;
    case kPlaceOnVisibleParentElseCursor:
        return parentShown ? kPlaceOnParent : kPlaceOnCursor;
    default:
        return mode;
    }
}

bool CentreOn(HWND parent, int mode, const RECT& workArea, POINT& centre)
{
    switch (mode) {
    case kPlaceOnCursor:
        return GetCursorPos(&centre) != FALSE;
    case kPlaceOnParent: {
        RECT rect;
        if (IsZoomed(parent)) {
            if (!GetWindowRect(parent, &rect))
                return false;
        } else {
            WINDOWPLACEMENT placement = {};
            placement.length = sizeof placement;
            if (!GetWindowPlacement(parent, &placement))
                return false;
            rect = placement.rcNormalPosition;
        }
        centre = Middle(rect);
        return true;
    }
    default:
        centre = Middle(workArea);
        return true;
    }
}

// The start on one axis: centred, then pulled back inside [low, high) while
// the far edge sticks out, but never before low.
LONG Fit(LONG centre, LONG size, LONG low, LONG high)
{
    LONG start = std::max(low, centre - size / 2);
    if (start + size > high)
        start = std::max(low, high - size);
    return start;
}

} // namespace

bool PlaceWindow(HWND window, int mode)
{
    RECT workArea, own;
    if (!SystemParametersInfoA(SPI_GETWORKAREA, 0, &workArea, 0) || !GetWindowRect(window, &own))
        return false;
    const HWND parent = GetParent(window);
    POINT centre;
    if (!CentreOn(parent, EffectiveMode(parent, mode), workArea, centre))
        return false;
    const LONG x = Fit(centre.x, own.right - own.left, workArea.left, workArea.right);
    const LONG y = Fit(centre.y, own.bottom - own.top, workArea.top, workArea.bottom);
    return SetWindowPos(window, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE) != FALSE;
}
