#include "ShellFolders.h"

#include <windows.h>
#include <shlobj.h>

#include <functional>
#include <initializer_list>

#include "InstallerRegistry.h"
#include "ZeRizIva/FaultInjection.h"
#include "didur/DllLoader.h"
#include "uninstall_contract/UninstallParams.h"
#include "didur/OsInfo.h"

namespace {

constexpr char kShellFolders[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
constexpr char kUserShellFolders[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";

struct RegistrySource {
    HKEY root;
    const char* subkey;
    const char* value;
};

// Older shells cannot be asked: below Internet Explorer 4.71.1712 the function
// is not there or not reliable.
bool AskShell(int csidl, std::string& folder)
{
    if (Os().BrowserVersion() < kMinimumBrowser)
        return false;
    DllLoader shell;
    shell.Load(true, "shell32.dll");
    using GetFolderFn = BOOL(WINAPI*)(HWND, LPSTR, int, BOOL);
    const auto getFolder = shell.Function<GetFolderFn>("SHGetSpecialFolderPathA");
    char buffer[MAX_PATH] = {};
    if (InjectedFailure("SHGetSpecialFolderPathA") || !getFolder(nullptr, buffer, csidl, TRUE))
        return false;
    folder = buffer;
    return true;
}

// Only a path the uninstaller will take back as full: anything else would be
// made relative to the current folder, and its items refused at uninstall.
std::string Lookup(int csidl, std::initializer_list<RegistrySource> sources, const std::function<std::string()>& last)
{
    std::string folder;
    try {
        if (AskShell(csidl, folder) && IsFullPath(folder))
            return folder;
    } catch (...) {
    }
    for (const RegistrySource& source : sources) {
        try {
            folder = ReadRegistryString(source.root, source.subkey, source.value);
            if (IsFullPath(folder))
                return folder;
        } catch (...) {
        }
    }
    return last();
}

} // namespace

std::string GetProgramFilesFolder()
{
    return Lookup(CSIDL_PROGRAM_FILES,
                  {{HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion", "ProgramFilesDir"}},
                  [] { return std::string("C:\\Program Files"); });
}

std::string GetDesktopFolder()
{
    return Lookup(CSIDL_DESKTOPDIRECTORY,
                  {{HKEY_CURRENT_USER, kShellFolders, "Desktop"}, {HKEY_CURRENT_USER, kUserShellFolders, "Desktop"}},
                  [] { return std::string(); });
}

std::string GetCommonDesktopFolder()
{
    return Lookup(CSIDL_COMMON_DESKTOPDIRECTORY, {{HKEY_LOCAL_MACHINE, kShellFolders, "Common Desktop"}},
                  GetDesktopFolder);
}

std::string GetProgramsFolder()
{
    return Lookup(CSIDL_PROGRAMS,
                  {{HKEY_CURRENT_USER, kShellFolders, "Programs"}, {HKEY_CURRENT_USER, kUserShellFolders, "Programs"}},
                  [] { return std::string(); });
}

std::string GetCommonProgramsFolder()
{
    return Lookup(CSIDL_COMMON_PROGRAMS, {{HKEY_LOCAL_MACHINE, kShellFolders, "Common Programs"}},
                  GetProgramsFolder);
}
