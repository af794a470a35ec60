#pragma once
// A static control that behaves as a hyperlink: underlined text in the link
// colours, the hand cursor over the text, a tooltip, the space bar and a click
// activate it. A command link tells its parent (WM_COMMAND with the control's
// id, notification 0); a link with an address opens it with the shell.
#include <windows.h>

#include <string>

#include "WindowHandler.h"

class LinkLabel : public WindowHandler {
public:
    LinkLabel();
    LinkLabel(std::string address, bool addressIsTooltip);

    void SetColors(COLORREF normal, COLORREF hover, COLORREF visited);

    void OnAttach(HWND window) override;
    LRESULT HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void OnMouseMove(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void OnButtonDown(HWND window, LPARAM lParam);
    void OnButtonUp(HWND window);
    void OnMouseLeave(HWND window);
    void HitTest(LPARAM lParam);
    void Activate(HWND window);
    void HideTooltip();
    void SuppressTooltip();
    void Paint(HWND window);
    void DrawFocusFrame(HDC dc);

    COLORREF normalColor_ = 0x00FF0000;
    COLORREF hoverColor_ = 0x00FF0000;
    COLORREF visitedColor_ = 0x00FF0000;
    HCURSOR handCursor_;
    HCURSOR arrowCursor_;
    std::string address_;
    std::string tooltipText_;

    RECT hot_ = {};
    bool hovering_ = false;
    bool visited_ = false;
    bool focused_ = false;
    bool captured_ = false;
    bool tooltipSuppressed_ = false;
    HWND tooltip_ = nullptr; // owned by the control, destroyed with it
};
