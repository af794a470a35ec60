#include "PassiveRichEdit.h"

LRESULT PassiveRichEditHandler::HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_SETFOCUS)
        return 0;
    const LRESULT result = CallPrevious(window, message, wParam, lParam);
    if (message == WM_SETCURSOR) {
        const HCURSOR arrow = LoadCursorA(nullptr, IDC_ARROW);
        const HCURSOR current = GetCursor();
        if (current != arrow && current != LoadCursorA(nullptr, IDC_HAND))
            SetCursor(arrow);
    }
    return result;
}
