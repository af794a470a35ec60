#include "InstallerDialog.h"

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <exception>
#include <memory>
#include <string_view>

#include "AnchorLayout.h"
#include "Colors.h"
#include "DialogUnits.h"
#include "FolderBrowser.h"
#include "GdiHelpers.h"
#include "InstallerDialogIds.h"
#include "LinkLabel.h"
#include "PackageContentsWindow.h"
#include "PassiveRichEdit.h"
#include "RichEditText.h"
#include "WindowPlacement.h"
#include "ZeRizIva/UniqueHandle.h"
#include "didur/DllLoader.h"
#include "product/Product.h"
#include "ZeRizIva/Resource.h"

namespace {

constexpr int kPathLimit = 260;

// Anchor distances in dialog units: the licence text takes the extra height,
// the folder field the extra width, and everything below the licence follows
// the bottom edge. -1: not anchored to that edge.
struct AnchorRow {
    int id;
    int left, top, right, bottom;
    int repaint; // -1 none, 0 without erasing, 1 with erasing
};
constexpr AnchorRow kAnchors[] = {
    {IDC_WEB_LINK, -1, -1, 7, -1, 0},
    {IDC_LINE_TOP, 1, -1, 1, -1, 1},
    {IDC_LICENSE, 7, 31, 7, 107, -1},
    {IDC_AGREE, -1, -1, -1, 92, 0},
    {IDC_LINE_AGREEMENT, 1, -1, 1, 84, 1},
    {IDC_FOLDER_LINK, -1, -1, -1, 67, 0},
    {IDC_FOLDER, 87, -1, 7, 66, -1},
    {IDC_ALL_USERS, -1, -1, -1, 51, 0},
    {IDC_DESKTOP_ICON, -1, -1, -1, 51, 0},
    {IDC_RUN_WHEN_DONE, -1, -1, -1, 36, 0},
    {IDC_LINE_BUTTONS, 1, -1, 1, 28, 1},
    {IDOK, -1, -1, -1, 7, 0},     // right distance set on every resize
    {IDCANCEL, -1, -1, -1, 7, 0}, // left distance set on every resize
};

int UnitsX(HWND dialog, int units)
{
    return units < 0 ? units : DialogUnitsToPixelsX(dialog, units);
}

int UnitsY(HWND dialog, int units)
{
    return units < 0 ? units : DialogUnitsToPixelsY(dialog, units);
}

bool IsChecked(HWND dialog, int id)
{
    return IsDlgButtonChecked(dialog, id) == BST_CHECKED;
}

void Check(HWND dialog, int id, bool checked)
{
    CheckDlgButton(dialog, id, checked ? BST_CHECKED : BST_UNCHECKED);
}

std::string FolderText(HWND dialog)
{
    char text[kPathLimit + 1] = {};
    GetDlgItemTextA(dialog, IDC_FOLDER, text, sizeof text);
    return text;
}

// The licence box: the window colour mixed into the face colour, with most
// of its saturation taken out.
COLORREF LicenseBackground(HWND dialog)
{
    const ColorRef mixed = MixColors(GetSysColor(COLOR_WINDOW), GetSysColor(COLOR_BTNFACE), 0.6f);
    return NearestColor(ToRgb(AdjustSaturation(ToHsl(mixed), -0.66f)), dialog);
}

std::string_view OwnDocument(int id)
{
    const ResourceBytes rtf = LoadOwnResource(id, "RTF");
    return {reinterpret_cast<const char*>(rtf.data), rtf.size};
}

class InstallerDialog {
public:
    explicit InstallerDialog(const InstallerDialogChoices& choices) : choices_(choices) {}

    INT_PTR Handle(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
    void Fail(HWND dialog, std::exception_ptr failure);
    void RethrowFailure() const
    {
        if (failure_)
            std::rethrow_exception(failure_);
    }

private:
    void Open(HWND dialog);
    void GrowAndCentre(HWND dialog);
    void MakeLayout(HWND dialog);
    void ApplyAgreementState(HWND dialog);
    void OnSize(HWND dialog, int width);
    void OnCommand(HWND dialog, int id, int notification);
    void Install(HWND dialog);
    void BrowseFolder(HWND dialog);
    void ShowPackageContents(HWND dialog);

    const InstallerDialogChoices& choices_;
    AnchorLayout* layout_ = nullptr; // owned by the dialog window
    UniqueGdiObject boldFont_;
    HWND packageContents_ = nullptr;
    datavect packageContentsTemplate_;
    std::exception_ptr failure_;
};

void InstallerDialog::Open(HWND dialog)
{
    LOGFONTA font = GetWindowFontInfo(dialog);
    font.lfWeight = FW_BOLD;
    boldFont_.reset(CreateFontIndirectA(&font));

    const HINSTANCE module = GetModuleHandleA(nullptr);
    SetClassLongPtrA(dialog, GCLP_HICON, reinterpret_cast<LONG_PTR>(LoadSharedIcon(module, IDI_INSTALLER_LARGE)));
    SetClassLongPtrA(dialog, GCLP_HICONSM, reinterpret_cast<LONG_PTR>(LoadSharedIcon(module, IDI_INSTALLER_SMALL)));

    GrowAndCentre(dialog);
    SetWindowTextA(dialog, (std::string(product::kFullName) + " " + product::kVersion + " Installer").c_str());

    AttachHandler(GetDlgItem(dialog, IDC_PACKAGE_LINK), std::make_unique<LinkLabel>());
    AttachHandler(GetDlgItem(dialog, IDC_WEB_LINK), std::make_unique<LinkLabel>(product::kWebSiteAddress, true));

    HWND license = GetDlgItem(dialog, IDC_LICENSE);
    SetRichEditBackground(license, LicenseBackground(dialog));
    StreamInText(license, OwnDocument(IDR_LICENSE_AGREEMENT), kStreamRichText);
    AttachHandler(license, std::make_unique<PassiveRichEditHandler>());

    Check(dialog, IDC_AGREE, choices_.accepted);
    AttachHandler(GetDlgItem(dialog, IDC_FOLDER_LINK), std::make_unique<LinkLabel>());
    SetDlgItemTextA(dialog, IDC_FOLDER, choices_.directory.c_str());
    Check(dialog, IDC_ALL_USERS, choices_.forAllUsers);
    Check(dialog, IDC_DESKTOP_ICON, choices_.desktopIcon);
    Check(dialog, IDC_RUN_WHEN_DONE, choices_.runWhenDone);
    SetDlgItemTextA(dialog, IDOK, choices_.buttonCaption.c_str());

    MakeLayout(dialog);
    packageContentsTemplate_ = MakePackageContentsTemplate();
    ApplyAgreementState(dialog);
    SetFocus(GetDlgItem(dialog, choices_.accepted ? IDC_FOLDER : IDC_LICENSE));
}

// Taller by up to 40 dialog units, but never above 7/9 of the work area.
void InstallerDialog::GrowAndCentre(HWND dialog)
{
    RECT window, workArea;
    if (GetWindowRect(dialog, &window) && SystemParametersInfoA(SPI_GETWORKAREA, 0, &workArea, 0)) {
        const int height = window.bottom - window.top;
        const int target = std::min<int>(7 * (workArea.bottom - workArea.top) / 9,
                                    height + DialogUnitsToPixelsY(dialog, 40));
        if (target > height)
            SetWindowPos(dialog, nullptr, 0, 0, window.right - window.left, target,
                         SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    PlaceWindow(dialog, kPlaceOnWorkArea);
}

void InstallerDialog::MakeLayout(HWND dialog)
{
    auto layout = std::make_unique<AnchorLayout>();
    for (const AnchorRow& row : kAnchors)
        layout->Entry(row.id) = {UnitsX(dialog, row.left), UnitsY(dialog, row.top), UnitsX(dialog, row.right),
                                 UnitsY(dialog, row.bottom), row.repaint};
    layout->Apply(dialog);
    layout_ = AttachHandler(dialog, std::move(layout));
}

// The bold face marks what the user has to do next: agree, or install.
void InstallerDialog::ApplyAgreementState(HWND dialog)
{
    const bool agreed = IsChecked(dialog, IDC_AGREE);
    const WPARAM normal = SendMessageA(dialog, WM_GETFONT, 0, 0);
    const WPARAM bold = boldFont_ ? reinterpret_cast<WPARAM>(boldFont_.get()) : normal;
    HWND install = GetDlgItem(dialog, IDOK);
    EnableWindow(install, agreed);
    SendMessageA(install, WM_SETFONT, agreed ? bold : normal, TRUE);
    SendDlgItemMessageA(dialog, IDC_AGREE, WM_SETFONT, agreed ? normal : bold, TRUE);
}

// The two buttons stay centred with six units between them.
void InstallerDialog::OnSize(HWND dialog, int width)
{
    if (!layout_)
        return;
    const int fromEdge = width / 2 + DialogUnitsToPixelsX(dialog, 3);
    layout_->Entry(IDOK).right = fromEdge;
    layout_->Entry(IDCANCEL).left = fromEdge;
    InvalidateRect(dialog, nullptr, FALSE);
}

void InstallerDialog::Install(HWND dialog)
{
    // Enter reaches here even while the install button is disabled.
    if (!IsChecked(dialog, IDC_AGREE))
        return;
    choices_.accepted = true;
    choices_.forAllUsers = IsChecked(dialog, IDC_ALL_USERS);
    choices_.desktopIcon = IsChecked(dialog, IDC_DESKTOP_ICON);
    choices_.runWhenDone = IsChecked(dialog, IDC_RUN_WHEN_DONE);
    choices_.directory = FolderText(dialog);
    EndDialog(dialog, IDOK);
}

void InstallerDialog::BrowseFolder(HWND dialog)
{
    choices_.directory = FolderText(dialog);
    std::string chosen;
    if (BrowseForFolder(dialog, "Please Select Velantrix Install Directory", choices_.directory, chosen)) {
        choices_.directory = chosen;
        SetDlgItemTextA(dialog, IDC_FOLDER, chosen.c_str());
    }
}

void InstallerDialog::ShowPackageContents(HWND dialog)
{
    if (packageContents_)
        SetFocus(packageContents_);
    else
        packageContents_ = OpenPackageContentsWindow(dialog, packageContentsTemplate_);
}

void InstallerDialog::OnCommand(HWND dialog, int id, int notification)
{
    switch (id) {
    case IDOK:
        Install(dialog);
        break;
    case IDCANCEL:
        EndDialog(dialog, IDCANCEL);
        break;
    case IDC_AGREE:
        if (notification == BN_CLICKED)
            ApplyAgreementState(dialog);
        break;
    case IDC_FOLDER_LINK:
        if (notification == 0)
            BrowseFolder(dialog);
        break;
    case IDC_PACKAGE_LINK:
        if (notification == 0)
            ShowPackageContents(dialog);
        break;
    }
}

INT_PTR InstallerDialog::Handle(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        Open(dialog);
        return FALSE; // the focus is set
    case WM_GETMINMAXINFO:
        reinterpret_cast<MINMAXINFO*>(lParam)->ptMinTrackSize = MinimumTrackingSize(dialog, 240, 200);
        return TRUE;
    case WM_SIZE:
        OnSize(dialog, LOWORD(lParam));
        return TRUE;
    case WM_COMMAND:
        OnCommand(dialog, LOWORD(wParam), HIWORD(wParam));
        return TRUE;
    case kPackageContentsClosed:
        packageContents_ = nullptr;
        return TRUE;
    case WM_NCDESTROY:
        packageContentsTemplate_.resize(0);
        boldFont_.reset();
        return FALSE;
    }
    return FALSE;
}

// A failure inside the dialog cannot travel through the system's frames: it
// ends the dialog and is raised again once the dialog has returned.
void InstallerDialog::Fail(HWND dialog, std::exception_ptr failure)
{
    if (!failure_)
        failure_ = failure;
    EndDialog(dialog, -1);
}

INT_PTR CALLBACK InstallerDialogProcedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG)
        SetWindowLongPtrA(dialog, GWLP_USERDATA, lParam);
    auto* state = reinterpret_cast<InstallerDialog*>(GetWindowLongPtrA(dialog, GWLP_USERDATA));
    if (!state)
        return FALSE;
    try {
        return state->Handle(dialog, message, wParam, lParam);
    } catch (...) {
        state->Fail(dialog, std::current_exception());
        return TRUE;
    }
}

// Loaded once, from the system directory only, so that a library planted
// beside the installer is never taken; kept until the process ends.
void LoadRichEditLibrary()
{
    static DllLoader richEdit;
    if (!richEdit.Handle())
        richEdit.Load(true, "RICHED20.DLL");
}

} // namespace

int ShowInstallerDialog(const InstallerDialogChoices& choices)
{
    LoadRichEditLibrary();
    INITCOMMONCONTROLSEX classes = {sizeof classes, ICC_WIN95_CLASSES};
    InitCommonControlsEx(&classes);
    InstallerDialog dialog(choices);
    const INT_PTR result = DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_INSTALLER), nullptr,
                                           InstallerDialogProcedure, reinterpret_cast<LPARAM>(&dialog));
    dialog.RethrowFailure();
    return static_cast<int>(result);
}
