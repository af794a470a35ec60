// Test program: looks at the windows of the prefix it runs in, as a person
// would see them, and presses their buttons.
// Usage:
//   WindowProbe box <title> <button id> [timeout ms]
//     waits for a visible top-level window with that title, prints its
//     default button ("#default|id") and its children ("class|id|text"
//     lines), then clicks the button with that id.
//   WindowProbe list
//     prints every visible top-level window title.
//   WindowProbe run <command line>
//     runs the command and prints "exit code N" with its full 32-bit exit
//     code (a Unix exit status keeps only the low byte).
//   WindowProbe dialog <title> [timeout ms]
//     waits for a visible top-level window with that title and describes it
//     and its controls as "kind|key=value|...|text=..." lines: rectangles in
//     the window's client coordinates and on the screen, styles, enabled,
//     check and focus state, font handle and weight; the dialog base units of
//     8-point "MS Sans Serif"; where the close box is.
//   WindowProbe windows
//     describes every visible top-level window ("top|..." lines).
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>

namespace {

HWND FindVisible(const char* title, DWORD timeoutMs)
{
    const DWORD start = GetTickCount();
    for (;;) {
        HWND window = FindWindowA(nullptr, title);
        if (window && IsWindowVisible(window))
            return window;
        if (GetTickCount() - start > timeoutMs)
            return nullptr;
        Sleep(50);
    }
}

std::string Escaped(const char* text)
{
    std::string escaped;
    for (const char* p = text; *p; ++p) {
        if (*p == '\n')
            escaped += "\\n";
        else if (*p == '\r')
            escaped += "\\r";
        else
            escaped += *p;
    }
    return escaped;
}

BOOL CALLBACK PrintChild(HWND child, LPARAM)
{
    char cls[64] = {}, text[2048] = {};
    GetClassNameA(child, cls, sizeof cls);
    GetWindowTextA(child, text, sizeof text);
    std::printf("%s|%d|%s\n", cls, GetDlgCtrlID(child), Escaped(text).c_str());
    return TRUE;
}

// The button Enter presses: the one drawn as the default push button.
int DefaultButton(HWND dialog)
{
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        char cls[16] = {};
        GetClassNameA(child, cls, sizeof cls);
        if (lstrcmpiA(cls, "Button") == 0 && (GetWindowLongA(child, GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON)
            return GetDlgCtrlID(child);
    }
    return 0;
}

BOOL CALLBACK PrintTopLevel(HWND window, LPARAM)
{
    char text[512] = {};
    if (IsWindowVisible(window) && GetWindowTextA(window, text, sizeof text) > 0)
        std::printf("%s\n", text);
    return TRUE;
}

std::string Rect(const RECT& rect)
{
    char text[64];
    std::snprintf(text, sizeof text, "%ld,%ld,%ld,%ld", rect.left, rect.top, rect.right - rect.left,
                  rect.bottom - rect.top);
    return text;
}

// Control id -> font weight, read inside the dialog's own process by
// ProbeHook.dll (beside this program), which a window hook loads there.
std::map<int, long> FontWeights(HWND dialog)
{
    static const char kRequest[] = "VelantrixProbeFontWeights";
    std::map<int, long> weights;
    char path[MAX_PATH + 16] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::strcpy(std::strrchr(path, '\\') + 1, "ProbeHook.dll");
    HMODULE library = LoadLibraryA(path);
    const auto hookProcedure =
        library ? reinterpret_cast<HOOKPROC>(reinterpret_cast<void*>(GetProcAddress(library, "ProbeCallWndProc")))
                : nullptr;
    HANDLE mapping = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 0x10000, kRequest);
    char* answer = mapping ? static_cast<char*>(MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, 0)) : nullptr;
    if (hookProcedure && answer) {
        HHOOK hook =
            SetWindowsHookExA(WH_CALLWNDPROC, hookProcedure, library, GetWindowThreadProcessId(dialog, nullptr));
        DWORD_PTR ignored;
        SendMessageTimeoutA(dialog, RegisterWindowMessageA(kRequest), 0, 0, SMTO_NORMAL, 10000, &ignored);
        if (hook)
            UnhookWindowsHookEx(hook);
        int id;
        long weight;
        int used;
        for (const char* p = answer; std::sscanf(p, "%d %ld\n%n", &id, &weight, &used) == 2; p += used)
            weights[id] = weight;
    }
    if (answer)
        UnmapViewOfFile(answer);
    if (mapping)
        CloseHandle(mapping);
    if (library)
        FreeLibrary(library);
    return weights;
}

struct DialogScan {
    HWND dialog;
    std::map<int, long> weights;
};

BOOL CALLBACK DescribeControl(HWND control, LPARAM scanning)
{
    const auto& scan = *reinterpret_cast<const DialogScan*>(scanning);
    const HWND dialog = scan.dialog;
    if (GetParent(control) != dialog)
        return TRUE;
    char cls[64] = {}, text[4096] = {};
    GetClassNameA(control, cls, sizeof cls);
    // Asked of the control itself: an edit keeps its text where only its own process sees it.
    DWORD_PTR ignored;
    SendMessageTimeoutA(control, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text), SMTO_NORMAL, 5000, &ignored);
    RECT screen, client;
    GetWindowRect(control, &screen);
    client = screen;
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&client), 2);
    const auto weight = scan.weights.find(GetDlgCtrlID(control));
    const LRESULT checked = std::strcmp(cls, "Button") == 0 ? SendMessageA(control, BM_GETCHECK, 0, 0) : -1;
    std::printf("control|id=%d|class=%s|rect=%s|screen=%s|enabled=%d|visible=%d|checked=%ld|weight=%ld|"
                "style=%08lx|exstyle=%08lx|text=%s\n",
                GetDlgCtrlID(control), cls, Rect(client).c_str(), Rect(screen).c_str(), IsWindowEnabled(control) ? 1 : 0,
                IsWindowVisible(control) ? 1 : 0, static_cast<long>(checked),
                weight == scan.weights.end() ? -1L : weight->second, static_cast<unsigned long>(GetWindowLongA(control, GWL_STYLE)),
                static_cast<unsigned long>(GetWindowLongA(control, GWL_EXSTYLE)), Escaped(text).c_str());
    return TRUE;
}

INT_PTR CALLBACK IgnoreAll(HWND, UINT, WPARAM, LPARAM)
{
    return FALSE;
}

// Pixels per 4 horizontal and 8 vertical dialog units of a dialog in
// 8-point "MS Sans Serif", measured on a hidden dialog of our own.
POINT DialogBaseUnits()
{
    struct {
        DLGTEMPLATE header;
        WORD menu, cls, title, pointSize;
        WCHAR face[14];
    } dialogTemplate = {};
    dialogTemplate.header.style = WS_POPUP | DS_SETFONT;
    dialogTemplate.header.cx = 100;
    dialogTemplate.header.cy = 100;
    dialogTemplate.pointSize = 8;
    std::memcpy(dialogTemplate.face, L"MS Sans Serif", sizeof dialogTemplate.face);
    HWND dialog = CreateDialogIndirectA(nullptr, &dialogTemplate.header, nullptr, IgnoreAll);
    RECT units = {0, 0, 4, 8};
    MapDialogRect(dialog, &units);
    DestroyWindow(dialog);
    return {units.right, units.bottom};
}

// A screen point in the window's close box, found by asking the window.
POINT CloseBox(HWND window)
{
    RECT rect;
    GetWindowRect(window, &rect);
    for (LONG y = rect.top; y < rect.top + 40; ++y)
        for (LONG x = rect.right - 1; x > rect.right - 60; --x)
            if (SendMessageA(window, WM_NCHITTEST, 0, MAKELPARAM(x, y)) == HTCLOSE)
                return {x - 3, y + 3};
    return {-1, -1};
}

void DescribeDialog(HWND dialog)
{
    char title[512] = {};
    GetWindowTextA(dialog, title, sizeof title);
    RECT window, client;
    GetWindowRect(dialog, &window);
    GetClientRect(dialog, &client);
    GUITHREADINFO thread = {};
    thread.cbSize = sizeof thread;
    GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &thread);
    const int focus = thread.hwndFocus ? GetDlgCtrlID(thread.hwndFocus) : -1;
    std::printf("window|rect=%s|client=%ld,%ld|style=%08lx|exstyle=%08lx|active=%d|foreground=%d|focus=%d|"
                "text=%s\n",
                Rect(window).c_str(), client.right, client.bottom,
                static_cast<unsigned long>(GetWindowLongA(dialog, GWL_STYLE)),
                static_cast<unsigned long>(GetWindowLongA(dialog, GWL_EXSTYLE)), thread.hwndActive == dialog ? 1 : 0,
                GetForegroundWindow() == dialog ? 1 : 0, focus, title);
    const DialogScan scan = {dialog, FontWeights(dialog)};
    EnumChildWindows(dialog, DescribeControl, reinterpret_cast<LPARAM>(&scan));
    const POINT units = DialogBaseUnits();
    NONCLIENTMETRICSA metrics = {};
    metrics.cbSize = sizeof metrics;
    SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
    RECT workArea = {};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &workArea, 0);
    std::printf("units|x=%ld|y=%ld|border=%d|caption=%d|workarea=%s\n", units.x, units.y, metrics.iBorderWidth,
                metrics.iCaptionHeight, Rect(workArea).c_str());
    const POINT close = CloseBox(dialog);
    std::printf("close|x=%ld|y=%ld\n", close.x, close.y);
}

BOOL CALLBACK DescribeTopLevel(HWND window, LPARAM)
{
    char text[512] = {};
    if (!IsWindowVisible(window))
        return TRUE;
    GetWindowTextA(window, text, sizeof text);
    RECT rect;
    GetWindowRect(window, &rect);
    std::printf("top|hwnd=%p|owner=%p|rect=%s|foreground=%d|text=%s\n", static_cast<void*>(window),
                static_cast<void*>(GetWindow(window, GW_OWNER)), Rect(rect).c_str(),
                GetForegroundWindow() == window ? 1 : 0, text);
    return TRUE;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc >= 4 && !std::strcmp(argv[1], "box")) {
        const DWORD timeout = argc > 4 ? std::strtoul(argv[4], nullptr, 10) : 30000;
        HWND box = FindVisible(argv[2], timeout);
        if (!box) {
            std::printf("no window '%s'\n", argv[2]);
            return 2;
        }
        std::printf("#default|%d\n", DefaultButton(box));
        EnumChildWindows(box, PrintChild, 0);
        std::fflush(stdout);
        const int id = std::atoi(argv[3]);
        HWND button = GetDlgItem(box, id);
        if (!button) {
            std::printf("no button %d\n", id);
            return 3;
        }
        PostMessageA(box, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(button));
        return 0;
    }
    if (argc >= 3 && !std::strcmp(argv[1], "dialog")) {
        HWND dialog = FindVisible(argv[2], argc > 3 ? std::strtoul(argv[3], nullptr, 10) : 30000);
        if (!dialog) {
            std::printf("no window '%s'\n", argv[2]);
            return 2;
        }
        DescribeDialog(dialog);
        return 0;
    }
    if (argc >= 2 && !std::strcmp(argv[1], "windows")) {
        EnumWindows(DescribeTopLevel, 0);
        return 0;
    }
    if (argc >= 2 && !std::strcmp(argv[1], "list")) {
        EnumWindows(PrintTopLevel, 0);
        return 0;
    }
    if (argc >= 3 && !std::strcmp(argv[1], "run")) {
        // The rest of our own command line, as it was written.
        const char* commandLine = std::strstr(GetCommandLineA(), " run ") + 5;
        std::string buffer(commandLine);
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION process = {};
        if (!CreateProcessA(nullptr, buffer.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process)) {
            std::printf("CreateProcess failed: %lu\n", GetLastError());
            return 2;
        }
        WaitForSingleObject(process.hProcess, INFINITE);
        DWORD code = 0;
        GetExitCodeProcess(process.hProcess, &code);
        std::fflush(stdout);
        std::printf("exit code %lu\n", code);
        return 0;
    }
    std::fprintf(stderr, "usage: WindowProbe box <title> <button id> [timeout ms] | list | run <command line> | "
                         "dialog <title> [timeout ms] | windows\n");
    return 1;
}
