// Test program: removes a product as a deployment tool does. It reads the
// registration's "QuietUninstallString", starts it with CreateProcess as it
// stands, waits for that process alone and takes its exit code as the
// outcome. The moment the process has ended it looks at what is left: the
// registration and each path given. While it waits it notes every visible
// top-level window that was not there before.
// Usage: DeploymentProbe <registration key name> [path ...]
// Prints "command <text>", then "window <title>" for each new window,
// "exit <code>", "registration present|gone" and "present|gone <path>" for
// each path.
#include <windows.h>

#include <cstdio>
#include <set>
#include <string>
#include <vector>

namespace {

constexpr char kUninstallKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";

bool ReadQuietUninstallString(const std::string& keyName, std::string& command)
{
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, (kUninstallKey + keyName).c_str(), 0, KEY_QUERY_VALUE, &key) !=
        ERROR_SUCCESS)
        return false;
    char buffer[4096] = {};
    DWORD size = sizeof buffer - 1;
    DWORD type = 0;
    const LONG code =
        RegQueryValueExA(key, "QuietUninstallString", nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size);
    RegCloseKey(key);
    if (code != ERROR_SUCCESS || type != REG_SZ)
        return false;
    command = buffer;
    return true;
}

bool RegistrationPresent(const std::string& keyName)
{
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, (kUninstallKey + keyName).c_str(), 0, KEY_QUERY_VALUE, &key) !=
        ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

BOOL CALLBACK AddVisibleWindow(HWND window, LPARAM windows)
{
    if (IsWindowVisible(window))
        reinterpret_cast<std::set<HWND>*>(windows)->insert(window);
    return TRUE;
}

std::set<HWND> VisibleWindows()
{
    std::set<HWND> windows;
    EnumWindows(AddVisibleWindow, reinterpret_cast<LPARAM>(&windows));
    return windows;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2)
        return 99;
    std::string command;
    if (!ReadQuietUninstallString(argv[1], command)) {
        std::printf("no QuietUninstallString\n");
        return 98;
    }
    std::printf("command %s\n", command.c_str());
    std::fflush(stdout);

    const std::set<HWND> before = VisibleWindows();
    std::vector<char> buffer(command.begin(), command.end());
    buffer.push_back('\0');
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(nullptr, buffer.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
        std::printf("CreateProcess failed %lu\n", GetLastError());
        return 97;
    }
    CloseHandle(process.hThread);
    // Looks for new windows until the process has ended; a message box would
    // stay until answered, so none can come and go unseen.
    std::set<HWND> seen;
    while (WaitForSingleObject(process.hProcess, 20) == WAIT_TIMEOUT) {
        for (HWND window : VisibleWindows()) {
            if (before.count(window) || !seen.insert(window).second)
                continue;
            char title[256] = {};
            GetWindowTextA(window, title, sizeof title);
            std::printf("window %s\n", title);
        }
    }
    DWORD exitCode = 0;
    GetExitCodeProcess(process.hProcess, &exitCode);
    CloseHandle(process.hProcess);

    // What is left the moment the process has ended, before anything is printed.
    const bool registered = RegistrationPresent(argv[1]);
    std::vector<bool> present;
    for (int i = 2; i < argc; ++i)
        present.push_back(GetFileAttributesA(argv[i]) != INVALID_FILE_ATTRIBUTES);
    std::printf("exit %lu\n", exitCode);
    std::printf("registration %s\n", registered ? "present" : "gone");
    for (int i = 2; i < argc; ++i)
        std::printf("%s %s\n", present[i - 2] ? "present" : "gone", argv[i]);
    std::fflush(stdout);
    return 0;
}
