#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "ui/AnchorLayout.h"
#include "ui/DialogTemplate.h"
#include "ui/DialogUnits.h"
#include "ui/RichEditText.h"
#include "ui/WindowHandler.h"
#include "ui/WindowPlacement.h"

namespace {

constexpr UINT kPing = WM_APP + 7;

// Owns a test window.
struct Window {
    HWND handle;
    explicit Window(HWND h) : handle(h) {}
    ~Window()
    {
        if (IsWindow(handle))
            DestroyWindow(handle);
    }
    operator HWND() const { return handle; }
};

HWND MakeTopLevel(int width, int height, WNDPROC procedure = DefWindowProcA)
{
    static bool registered = false;
    if (!registered) {
        WNDCLASSA cls = {};
        cls.lpfnWndProc = DefWindowProcA;
        cls.hInstance = GetModuleHandleA(nullptr);
        cls.lpszClassName = "FrameworkTestParent";
        RegisterClassA(&cls);
        registered = true;
    }
    HWND window = CreateWindowExA(0, "FrameworkTestParent", "parent", WS_OVERLAPPEDWINDOW, 0, 0, width, height,
                                  nullptr, nullptr, nullptr, nullptr);
    if (procedure != DefWindowProcA)
        SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(procedure));
    return window;
}

HWND MakeChild(HWND parent, int id, int x, int y, int width, int height)
{
    return CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE, x, y, width, height, parent,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, nullptr);
}

RECT ChildRect(HWND parent, HWND child)
{
    RECT rect;
    GetWindowRect(child, &rect);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

void ExpectRect(const RECT& rect, LONG left, LONG top, LONG right, LONG bottom, const char* why)
{
    EXPECT_EQ(rect.left, left) << why;
    EXPECT_EQ(rect.top, top) << why;
    EXPECT_EQ(rect.right, right) << why;
    EXPECT_EQ(rect.bottom, bottom) << why;
}

// Resizes the window so that its client area is width x height.
void SetClientSize(HWND window, int width, int height)
{
    RECT rect = {0, 0, width, height};
    AdjustWindowRectEx(&rect, GetWindowLongA(window, GWL_STYLE), FALSE, GetWindowLongA(window, GWL_EXSTYLE));
    SetWindowPos(window, nullptr, 0, 0, rect.right - rect.left, rect.bottom - rect.top, SWP_NOMOVE | SWP_NOZORDER);
}

class Recorder : public WindowHandler {
public:
    Recorder(int number, std::vector<int>& seen, int& deleted) : number_(number), seen_(seen), deleted_(deleted) {}
    ~Recorder() override { ++deleted_; }
    LRESULT HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message == kPing)
            seen_.push_back(number_);
        return CallPrevious(window, message, wParam, lParam);
    }

private:
    int number_;
    std::vector<int>& seen_;
    int& deleted_;
};

TEST(WindowHandler, TenHandlersPerWindowTheLastAttachedFirst)
{
    std::vector<int> seen;
    int deleted = 0;
    HWND window = MakeTopLevel(200, 100);
    for (int i = 0; i < 10; ++i)
        ASSERT_NE(AttachHandler(window, std::make_unique<Recorder>(i, seen, deleted)), nullptr) << i;
    SetLastError(0);
    EXPECT_EQ(AttachHandler(window, std::make_unique<Recorder>(10, seen, deleted)), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_OUT_OF_STRUCTURES));
    EXPECT_EQ(deleted, 1) << "the handler that could not be attached is deleted";

    SendMessageA(window, kPing, 0, 0);
    EXPECT_EQ(seen, (std::vector<int>{9, 8, 7, 6, 5, 4, 3, 2, 1, 0})) << "the first ten keep working";

    DestroyWindow(window);
    EXPECT_EQ(deleted, 11) << "the window deletes its handlers";
}

TEST(AnchorLayout, StretchesFollowsAndLeavesAlone)
{
    Window parent(MakeTopLevel(400, 300));
    SetClientSize(parent, 300, 200);
    HWND stretched = MakeChild(parent, 1, 10, 10, 100, 20);
    HWND follower = MakeChild(parent, 2, 200, 50, 50, 20);
    HWND still = MakeChild(parent, 3, 30, 90, 40, 20);
    HWND byHandle = MakeChild(parent, 0, 30, 150, 40, 20);
    auto layout = std::make_unique<AnchorLayout>();
    layout->Entry(1) = {10, -1, 20, -1, 0};
    layout->Entry(2).right = 50;
    layout->Entry(3).repaint = 1;
    layout->Entry(byHandle).bottom = 30;
    layout->Entry(99).left = 5; // no such child
    ASSERT_NE(AttachHandler(parent, std::move(layout)), nullptr);

    SetClientSize(parent, 500, 260);
    ExpectRect(ChildRect(parent, stretched), 10, 10, 480, 30, "left and right: stretched");
    ExpectRect(ChildRect(parent, follower), 400, 50, 450, 70, "only right: keeps its width, follows");
    ExpectRect(ChildRect(parent, still), 30, 90, 70, 110, "nothing set: left where it is");
    ExpectRect(ChildRect(parent, byHandle), 30, 210, 70, 230, "keyed by handle: follows the bottom");

    ShowWindow(parent, SW_MINIMIZE);
    ExpectRect(ChildRect(parent, follower), 400, 50, 450, 70, "minimising lays nothing out");
    ShowWindow(parent, SW_HIDE);
}

AnchorLayout* g_layout = nullptr;

// A parent that moves an anchor in its own WM_SIZE handling.
LRESULT CALLBACK CentringParent(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_SIZE && g_layout)
        g_layout->Entry(1).left = LOWORD(lParam) / 2;
    return DefWindowProcA(window, message, wParam, lParam);
}

TEST(AnchorLayout, RunsAfterTheParentSawTheSize)
{
    Window parent(MakeTopLevel(400, 300, CentringParent));
    HWND child = MakeChild(parent, 1, 0, 0, 20, 20);
    auto layout = std::make_unique<AnchorLayout>();
    g_layout = layout.get();
    ASSERT_NE(AttachHandler(parent, std::move(layout)), nullptr);
    SetClientSize(parent, 360, 100);
    EXPECT_EQ(ChildRect(parent, child).left, 180);
    g_layout = nullptr;
}

TEST(StreamInText, RichTextWithTheShortPrefixAndPlainText)
{
    ASSERT_NE(LoadLibraryA("riched20.dll"), nullptr);
    Window parent(MakeTopLevel(300, 200));
    Window edit(CreateWindowExA(0, "RichEdit20A", "", WS_CHILD | WS_VISIBLE | ES_MULTILINE | ES_READONLY, 0, 0, 200,
                                100, parent, nullptr, nullptr, nullptr));
    ASSERT_NE(edit.handle, nullptr);
    char text[256];
    StreamInText(edit, "{\\r {\\b bold} words}", kStreamRichText);
    GetWindowTextA(edit, text, sizeof text);
    EXPECT_STREQ(text, "bold words") << "streamed as rich text";
    StreamInText(edit, "{\\r x}", kStreamPlainText);
    GetWindowTextA(edit, text, sizeof text);
    EXPECT_STREQ(text, "{\\r x}");

    std::string lines;
    for (int i = 0; i < 200; ++i)
        lines += "line\r\n";
    SendMessageA(edit, EM_LINESCROLL, 0, 50);
    StreamInText(edit, lines, kStreamDetect);
    EXPECT_EQ(SendMessageA(edit, EM_GETFIRSTVISIBLELINE, 0, 0), 0) << "scrolled to the top";
}

TEST(PlaceWindow, InsideTheWorkAreaTopLeftWinsWhenTooLarge)
{
    RECT work;
    ASSERT_TRUE(SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0));
    Window big(CreateWindowExA(0, "FrameworkTestParent", "big", WS_POPUP, 0, 0, work.right - work.left + 300,
                               work.bottom - work.top + 200, nullptr, nullptr, nullptr, nullptr));
    ASSERT_TRUE(PlaceWindow(big, kPlaceOnWorkArea));
    RECT rect;
    GetWindowRect(big, &rect);
    EXPECT_EQ(rect.left, work.left);
    EXPECT_EQ(rect.top, work.top);

    Window small(CreateWindowExA(0, "FrameworkTestParent", "small", WS_POPUP, 0, 0, 100, 60, nullptr, nullptr,
                                 nullptr, nullptr));
    ASSERT_TRUE(PlaceWindow(small, kPlaceOnVisibleParentElseWorkArea)) << "no parent: the work area";
    GetWindowRect(small, &rect);
    EXPECT_EQ(rect.left, (work.left + work.right) / 2 - 50);
    EXPECT_EQ(rect.top, (work.top + work.bottom) / 2 - 30);
}

INT_PTR CALLBACK PlainDialog(HWND, UINT message, WPARAM, LPARAM)
{
    return message == WM_INITDIALOG;
}

TEST(DialogTemplate, MakesARealDialogAndConvertsUnits)
{
    datavect bytes = MakeDialogTemplate(WS_POPUP | WS_CAPTION, 0, 0, 0, 190, 120, 0);
    ASSERT_TRUE(SetDialogTitle(bytes, u"Built in memory"));
    ASSERT_TRUE(SetDialogFont(bytes, 8, u"MS Shell Dlg"));
    Window dialog(CreateDialogIndirectParamA(nullptr, reinterpret_cast<LPCDLGTEMPLATEA>(bytes.data()), nullptr,
                                             PlainDialog, 0));
    ASSERT_NE(dialog.handle, nullptr);
    char title[64];
    GetWindowTextA(dialog, title, sizeof title);
    EXPECT_STREQ(title, "Built in memory");
    RECT client;
    GetClientRect(dialog, &client);
    EXPECT_EQ(client.right, DialogUnitsToPixelsX(dialog, 190));
    EXPECT_EQ(client.bottom, DialogUnitsToPixelsY(dialog, 120));
    EXPECT_EQ(DialogUnitsToPixelsX(dialog, 0), 0);
    EXPECT_EQ(DialogUnitsToPixelsY(dialog, 0), 0);
    EXPECT_GT(DialogUnitsToPixelsX(dialog, 1), 0);
}

} // namespace
