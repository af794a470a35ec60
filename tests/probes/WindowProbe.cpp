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
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
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

BOOL CALLBACK PrintChild(HWND child, LPARAM)
{
    char cls[64] = {}, text[2048] = {};
    GetClassNameA(child, cls, sizeof cls);
    GetWindowTextA(child, text, sizeof text);
    std::string escaped;
    for (const char* p = text; *p; ++p) {
        if (*p == '\n')
            escaped += "\\n";
        else if (*p == '\r')
            escaped += "\\r";
        else
            escaped += *p;
    }
    std::printf("%s|%d|%s\n", cls, GetDlgCtrlID(child), escaped.c_str());
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
    std::fprintf(stderr, "usage: WindowProbe box <title> <button id> [timeout ms] | list | run <command line>\n");
    return 1;
}
