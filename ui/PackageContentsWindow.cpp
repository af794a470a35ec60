#include "PackageContentsWindow.h"

#include <memory>
#include <string>
#include <string_view>

#include "AnchorLayout.h"
#include "DialogTemplate.h"
#include "DialogUnits.h"
#include "InstallerDialogIds.h"
#include "PassiveRichEdit.h"
#include "RichEditText.h"
#include "WindowPlacement.h"
#include "product/Product.h"
#include "ZeRizIva/Resource.h"

namespace {

constexpr DWORD kWindowStyle = WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | DS_SETFOREGROUND;
constexpr DWORD kRichEditStyle = WS_CHILD | WS_VISIBLE | WS_VSCROLL | ES_MULTILINE | ES_READONLY;

std::u16string Widened(std::string_view ascii)
{
    return std::u16string(ascii.begin(), ascii.end());
}

void Open(HWND window, std::string_view description)
{
    PlaceWindow(window, kPlaceOnCursor);
    RECT client;
    GetClientRect(window, &client);
    HWND text = CreateWindowExA(0, "RichEdit20a", "", kRichEditStyle, 0, 0, client.right, client.bottom, window,
                                nullptr, nullptr, nullptr);
    if (!text)
        return;
    SendMessageA(text, WM_SETFONT, SendMessageA(window, WM_GETFONT, 0, 0), FALSE);
    SetRichEditBackground(text, GetSysColor(COLOR_INFOBK));
    StreamInText(text, description, kStreamRichText);
    // Showing the new window scrolls the control to its end once more: back
    // to the top after that.
    PostMessageA(text, WM_VSCROLL, SB_TOP, 0);
    AttachHandler(text, std::make_unique<PassiveRichEditHandler>());
    auto layout = std::make_unique<AnchorLayout>();
    layout->Entry(text) = {0, 0, 0, 0, -1};
    AttachHandler(window, std::move(layout));
}

INT_PTR CALLBACK PackageContentsProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        Open(window, *reinterpret_cast<const std::string_view*>(lParam));
        return TRUE;
    case WM_GETMINMAXINFO:
        reinterpret_cast<MINMAXINFO*>(lParam)->ptMinTrackSize = MinimumTrackingSize(window, 150, 100);
        return TRUE;
    case WM_SYSCOMMAND:
        if ((wParam & 0xFFF0) == SC_CLOSE) {
            DestroyWindow(window);
            return TRUE;
        }
        return FALSE;
    case WM_DESTROY:
        SendMessageA(GetWindow(window, GW_OWNER), kPackageContentsClosed, 0, 0);
        return FALSE;
    }
    return FALSE;
}

} // namespace

datavect MakePackageContentsTemplate()
{
    datavect dialogTemplate = MakeDialogTemplate(kWindowStyle, WS_EX_TOOLWINDOW, 0, 0, 190, 190, 0);
    const std::string title = std::string(product::kFullName) + " " + product::kVersion + " Package Contents";
    SetDialogTitle(dialogTemplate, Widened(title));
    SetDialogFont(dialogTemplate, 8, u"MS Shell Dlg");
    return dialogTemplate;
}

HWND OpenPackageContentsWindow(HWND owner, const datavect& dialogTemplate)
{
    const ResourceBytes rtf = LoadOwnResource(IDR_PACKAGE_CONTENTS, "RTF");
    const std::string_view description(reinterpret_cast<const char*>(rtf.data), rtf.size);
    return CreateDialogIndirectParamA(GetModuleHandleA(nullptr),
                                      reinterpret_cast<LPCDLGTEMPLATEA>(dialogTemplate.data()), owner,
                                      PackageContentsProcedure, reinterpret_cast<LPARAM>(&description));
}
