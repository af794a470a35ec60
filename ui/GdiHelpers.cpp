#include "GdiHelpers.h"

LOGFONTA GetWindowFontInfo(HWND window)
{
    LOGFONTA font = {};
    HGDIOBJ handle = reinterpret_cast<HGDIOBJ>(SendMessageA(window, WM_GETFONT, 0, 0));
    if (!handle) // the window draws with the system font
        handle = GetStockObject(SYSTEM_FONT);
    if (!GetObjectA(handle, sizeof font, &font))
        font = {};
    return font;
}

HICON LoadSharedIcon(HINSTANCE module, int resourceId)
{
    return static_cast<HICON>(LoadImageA(module, MAKEINTRESOURCEA(resourceId), IMAGE_ICON, 0, 0, LR_SHARED));
}

COLORREF NearestColor(COLORREF color, HWND window)
{
    HDC dc = GetWindowDC(window);
    if (!dc)
        return color;
    const COLORREF nearest = GetNearestColor(dc, color);
    ReleaseDC(window, dc);
    return nearest == CLR_INVALID ? color : nearest;
}
