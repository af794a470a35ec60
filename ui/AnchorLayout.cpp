#include "AnchorLayout.h"

namespace {

void Place(HWND parent, HWND child, const AnchorLayout::Anchor& anchor, int width, int height)
{
    if (anchor.left < 0 && anchor.top < 0 && anchor.right < 0 && anchor.bottom < 0)
        return;
    RECT current;
    if (!child || !GetWindowRect(child, &current))
        return;
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&current), 2);
    RECT placed = current;
    if (anchor.left >= 0) {
        placed.left = anchor.left;
        if (anchor.right == -1)
            placed.right = current.right + (anchor.left - current.left);
    }
    if (anchor.top >= 0) {
        placed.top = anchor.top;
        if (anchor.bottom == -1)
            placed.bottom = current.bottom + (anchor.top - current.top);
    }
    if (anchor.right >= 0) {
        placed.right = width - anchor.right;
        if (anchor.left == -1)
            placed.left = current.left + (width - anchor.right - current.right);
    }
    if (anchor.bottom >= 0) {
        placed.bottom = height - anchor.bottom;
        if (anchor.top == -1)
            placed.top = current.top + (height - anchor.bottom - current.bottom);
    }
    MoveWindow(child, placed.left, placed.top, placed.right - placed.left, placed.bottom - placed.top, TRUE);
    if (anchor.repaint >= 0)
        InvalidateRect(child, nullptr, anchor.repaint > 0);
}

} // namespace

void AnchorLayout::Apply(HWND parent)
{
    RECT client;
    if (GetClientRect(parent, &client))
        Layout(parent, client.right, client.bottom);
}

LRESULT AnchorLayout::HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    const LRESULT result = CallPrevious(window, message, wParam, lParam);
    if (message == WM_SIZE && wParam != SIZE_MINIMIZED)
        Layout(window, LOWORD(lParam), HIWORD(lParam));
    return result;
}

void AnchorLayout::Layout(HWND parent, int width, int height)
{
    for (const auto& [child, anchor] : byHandle_)
        if (IsWindow(child))
            Place(parent, child, anchor, width, height);
    for (const auto& [id, anchor] : byId_)
        Place(parent, GetDlgItem(parent, id), anchor, width, height);
}
