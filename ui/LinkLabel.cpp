#include "LinkLabel.h"

#include <commctrl.h>
#include <shellapi.h>

#include <utility>

#include "ZeRizIva/UniqueHandle.h"

namespace {

// The text format a static control of this style would draw with.
UINT TextFormat(LONG style)
{
    const LONG type = style & SS_TYPEMASK;
    UINT format = 0;
    if (type == SS_SIMPLE)
        format = DT_NOCLIP;
    else if (type == SS_LEFTNOWORDWRAP)
        format = DT_LEFT;
    else if (type == SS_CENTER)
        format = DT_CENTER;
    else if (type == SS_RIGHT)
        format = DT_RIGHT;
    if (style & SS_CENTERIMAGE)
        format |= DT_VCENTER | DT_SINGLELINE;
    else if (type != SS_SIMPLE && type != SS_LEFTNOWORDWRAP)
        format |= DT_WORDBREAK;
    if (style & SS_NOPREFIX)
        format |= DT_NOPREFIX;
    return format;
}

std::string WindowText(HWND window)
{
    std::string text(GetWindowTextLengthA(window) + 1, '\0');
    text.resize(GetWindowTextA(window, text.data(), static_cast<int>(text.size())));
    return text;
}

// Every other pixel set: the dots of the focus frame.
UniqueGdiObject MakeDottedBrush()
{
    static const WORD pattern[8] = {0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55};
    UniqueGdiObject bitmap(CreateBitmap(8, 8, 1, 1, pattern));
    if (!bitmap)
        return UniqueGdiObject();
    return UniqueGdiObject(CreatePatternBrush(static_cast<HBITMAP>(bitmap.get())));
}

// The background the parent gives static controls.
void FillBackground(HWND window, HDC dc, const RECT& client)
{
    const auto background = reinterpret_cast<HBRUSH>(
        SendMessageA(GetParent(window), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                     reinterpret_cast<LPARAM>(window)));
    if (background)
        FillRect(dc, &client, background);
}

// The control's font (the system font when it has none) underlined; null
// when it cannot be made.
UniqueGdiObject UnderlinedFont(HFONT font)
{
    LOGFONTA logFont;
    if (!GetObjectA(font ? font : GetStockObject(SYSTEM_FONT), sizeof logFont, &logFont))
        return UniqueGdiObject();
    logFont.lfUnderline = TRUE;
    return UniqueGdiObject(CreateFontIndirectA(&logFont));
}

// Where the text is drawn inside the client area, as the format places it:
// the part that reacts to the mouse.
RECT TextArea(HDC dc, const RECT& client, const std::string& text, UINT format, LONG style)
{
    RECT measured = client;
    DrawTextA(dc, text.c_str(), -1, &measured, (format & ~(DT_CENTER | DT_RIGHT | DT_VCENTER)) | DT_CALCRECT);
    const int width = measured.right - measured.left, height = measured.bottom - measured.top;
    RECT placed = {0, client.top, width, client.top + height};
    if (format & DT_RIGHT)
        OffsetRect(&placed, client.right - width, 0);
    else if (format & DT_CENTER)
        OffsetRect(&placed, (client.right - width) / 2, 0);
    RECT area = {};
    IntersectRect(&area, &placed, &client);
    if (style & SS_CENTERIMAGE) {
        TEXTMETRICA metrics;
        if (GetTextMetricsA(dc, &metrics))
            area.top = area.bottom - metrics.tmHeight;
    }
    return area;
}

// Disabled text as the system draws it: a highlight one pixel down and to
// the right, the shadow colour over it.
void DrawEmbossedText(HDC dc, const RECT& client, const std::string& text, UINT format)
{
    RECT raised = client;
    OffsetRect(&raised, 1, 1);
    SetTextColor(dc, GetSysColor(COLOR_BTNHIGHLIGHT));
    DrawTextA(dc, text.c_str(), -1, &raised, format);
    SetTextColor(dc, GetSysColor(COLOR_BTNSHADOW));
    RECT area = client;
    DrawTextA(dc, text.c_str(), -1, &area, format);
}

// BeginPaint and EndPaint around one scope.
class PaintScope {
public:
    explicit PaintScope(HWND window) : window_(window), dc_(BeginPaint(window, &paint_)) {}
    ~PaintScope()
    {
        if (dc_)
            EndPaint(window_, &paint_);
    }
    PaintScope(const PaintScope&) = delete;
    PaintScope& operator=(const PaintScope&) = delete;
    HDC dc() const { return dc_; }

private:
    HWND window_;
    PAINTSTRUCT paint_;
    HDC dc_;
};

// Selects an object into a device context for one scope.
class SelectedObject {
public:
    SelectedObject(HDC dc, HGDIOBJ object) : dc_(dc), old_(object ? SelectObject(dc, object) : nullptr) {}
    ~SelectedObject()
    {
        if (old_)
            SelectObject(dc_, old_);
    }
    SelectedObject(const SelectedObject&) = delete;
    SelectedObject& operator=(const SelectedObject&) = delete;

private:
    HDC dc_;
    HGDIOBJ old_;
};

} // namespace

LinkLabel::LinkLabel()
    : handCursor_(LoadCursorA(nullptr, IDC_HAND)), // missing on old systems: the arrow stands in
      arrowCursor_(LoadCursorA(nullptr, IDC_ARROW))
{
}

LinkLabel::LinkLabel(std::string address, bool addressIsTooltip) : LinkLabel()
{
    address_ = std::move(address);
    if (addressIsTooltip)
        tooltipText_ = address_;
}

void LinkLabel::SetColors(COLORREF normal, COLORREF hover, COLORREF visited)
{
    normalColor_ = normal;
    hoverColor_ = hover;
    visitedColor_ = visited;
}

void LinkLabel::OnAttach(HWND window)
{
    SetWindowLongPtrA(window, GWL_STYLE, GetWindowLongPtrA(window, GWL_STYLE) | SS_NOTIFY);

    INITCOMMONCONTROLSEX classes = {sizeof classes, ICC_BAR_CLASSES};
    InitCommonControlsEx(&classes);
    tooltip_ = CreateWindowExA(0, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP, CW_USEDEFAULT,
                               CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, window, nullptr, nullptr, nullptr);
    if (!tooltip_)
        return;
    SetWindowPos(tooltip_, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    // The first layout of the structure: understood by every version of the tooltip control.
    TOOLINFOA tool = {};
    tool.cbSize = TTTOOLINFOA_V1_SIZE;
    tool.hwnd = window;
    tool.uId = 0;
    GetClientRect(window, &tool.rect);
    tool.lpszText = tooltipText_.data();
    SendMessageA(tooltip_, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
}

LRESULT LinkLabel::HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_MOUSEMOVE:
        OnMouseMove(window, message, wParam, lParam);
        return 0;
    case WM_LBUTTONDOWN:
        OnButtonDown(window, lParam);
        return 0;
    case WM_LBUTTONUP:
        OnButtonUp(window);
        return 0;
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
        SuppressTooltip();
        break;
    case WM_KEYDOWN:
        if (wParam == VK_SPACE) {
            HideTooltip();
            Activate(window);
            return 0;
        }
        break;
    case WM_KEYUP:
        HideTooltip();
        break;
    case WM_MOUSELEAVE:
        OnMouseLeave(window);
        return 0;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        focused_ = message == WM_SETFOCUS;
        InvalidateRect(window, nullptr, TRUE);
        break;
    case WM_ENABLE:
        InvalidateRect(window, nullptr, FALSE);
        break;
    case WM_SETCURSOR:
        SetCursor(hovering_ && handCursor_ ? handCursor_ : arrowCursor_);
        return TRUE;
    case WM_PAINT:
        Paint(window);
        return 0;
    }
    return CallPrevious(window, message, wParam, lParam);
}

// A press on the text captures the mouse; the release decides.
void LinkLabel::OnButtonDown(HWND window, LPARAM lParam)
{
    SuppressTooltip();
    if (!hovering_)
        HitTest(lParam);
    if (hovering_) {
        SetCapture(window);
        captured_ = true;
    }
}

// Released over the text it was pressed on: the link is activated.
void LinkLabel::OnButtonUp(HWND window)
{
    SuppressTooltip();
    if (captured_) {
        captured_ = false;
        ReleaseCapture();
        if (hovering_)
            Activate(window);
    }
}

void LinkLabel::OnMouseLeave(HWND window)
{
    HideTooltip();
    tooltipSuppressed_ = false;
    hovering_ = false;
    InvalidateRect(window, nullptr, TRUE);
}

void LinkLabel::HitTest(LPARAM lParam)
{
    const POINT point = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    hovering_ = PtInRect(&hot_, point) != FALSE;
}

void LinkLabel::OnMouseMove(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    const bool wasHovering = hovering_;
    HitTest(lParam);
    if (hovering_ != wasHovering)
        InvalidateRect(window, nullptr, FALSE);
    if (!hovering_) {
        tooltipSuppressed_ = false;
        if (tooltip_)
            SendMessageA(tooltip_, TTM_ACTIVATE, FALSE, 0);
        return;
    }
    TRACKMOUSEEVENT track = {sizeof track, TME_LEAVE, window, HOVER_DEFAULT};
    _TrackMouseEvent(&track);
    if (!tooltipSuppressed_ && tooltip_) {
        SendMessageA(tooltip_, TTM_ACTIVATE, TRUE, 0);
        MSG relayed = {window, message, wParam, lParam, static_cast<DWORD>(GetMessageTime()), {}};
        const DWORD position = GetMessagePos();
        relayed.pt = {static_cast<short>(LOWORD(position)), static_cast<short>(HIWORD(position))};
        SendMessageA(tooltip_, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&relayed));
    }
}

void LinkLabel::HideTooltip()
{
    if (tooltip_)
        SendMessageA(tooltip_, TTM_POP, 0, 0);
}

// Once a mouse button goes down or up the tooltip stays away until the mouse
// leaves the text.
void LinkLabel::SuppressTooltip()
{
    tooltipSuppressed_ = true;
    HideTooltip();
}

void LinkLabel::Activate(HWND window)
{
    if (address_.empty()) {
        SendMessageA(GetParent(window), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(window), 0),
                     reinterpret_cast<LPARAM>(window));
    } else {
        ShellExecuteA(GetParent(window), "open", address_.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    }
    if (!visited_) {
        visited_ = true;
        InvalidateRect(window, nullptr, TRUE);
    }
}

void LinkLabel::Paint(HWND window)
{
    const PaintScope painting(window);
    HDC dc = painting.dc();
    if (!dc)
        return;
    RECT client;
    GetClientRect(window, &client);
    FillBackground(window, dc, client);

    const bool enabled = IsWindowEnabled(window) != FALSE;
    const auto font = reinterpret_cast<HFONT>(SendMessageA(window, WM_GETFONT, 0, 0));
    const UniqueGdiObject underlined = enabled ? UnderlinedFont(font) : UniqueGdiObject();
    SelectedObject selected(dc, underlined ? underlined.get() : font);

    const LONG style = static_cast<LONG>(GetWindowLongPtrA(window, GWL_STYLE));
    const UINT format = TextFormat(style);
    const std::string text = WindowText(window);
    hot_ = TextArea(dc, client, text, format, style);

    SetBkMode(dc, TRANSPARENT);
    if (!enabled) {
        DrawEmbossedText(dc, client, text, format);
        return;
    }
    SetTextColor(dc, hovering_ ? hoverColor_ : visited_ ? visitedColor_ : normalColor_);
    DrawTextA(dc, text.c_str(), -1, &client, format);
    if (focused_)
        DrawFocusFrame(dc);
}

void LinkLabel::DrawFocusFrame(HDC dc)
{
    const UniqueGdiObject dots = MakeDottedBrush();
    if (!dots)
        return;
    SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
    FrameRect(dc, &hot_, static_cast<HBRUSH>(dots.get()));
}
