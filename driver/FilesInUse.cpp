#include "FilesInUse.h"

#include <windows.h>
#include <restartmanager.h>

#include "didur/DllLoader.h"
#include "ZeRizIva/FaultInjection.h"
#include "uninstall_contract/UninstallParams.h"
#include "ZeRizIva/Codepage.h"
#include "ZeRizIva/UniqueHandle.h"

namespace {

constexpr UINT kProgramsAsked = 8;

bool InUse(const std::string& path)
{
    // Writing is what a running program's file refuses; readers are let be.
    UniqueFile file(CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file)
        return false;
    const DWORD error = GetLastError();
    return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION;
}

} // namespace

std::vector<std::string> FilesInUse(const std::string& uninstallParams)
{
    std::vector<std::string> held;
    // The test build's stand-in for a program that takes a file just after this check.
    if (InjectedFailure("FilesInUse"))
        return held;
    std::vector<UninstallItem> items;
    try {
        items = ParseUninstallParams(uninstallParams);
    } catch (const UninstallParamsError&) {
        return held;
    }
    for (const UninstallItem& item : items)
        if ((item.kind == UninstallSwitch::DelFile || item.kind == UninstallSwitch::DelMainFile) && InUse(item.value))
            held.push_back(item.value);
    return held;
}

std::string ProgramsHolding(const std::string& path)
{
    using StartFn = DWORD(WINAPI*)(DWORD*, DWORD, WCHAR*);
    using RegisterFn = DWORD(WINAPI*)(DWORD, UINT, LPCWSTR*, UINT, RM_UNIQUE_PROCESS*, UINT, LPCWSTR*);
    using GetListFn = DWORD(WINAPI*)(DWORD, UINT*, UINT*, RM_PROCESS_INFO*, DWORD*);
    using EndFn = DWORD(WINAPI*)(DWORD);
    DllLoader restartManager;
    if (!restartManager.Load(true, "rstrtmgr.dll", true))
        return {};  // before Windows Vista
    std::string names;
    try {
        const auto start = restartManager.Function<StartFn>("RmStartSession");
        const auto registerResources = restartManager.Function<RegisterFn>("RmRegisterResources");
        const auto getList = restartManager.Function<GetListFn>("RmGetList");
        const auto end = restartManager.Function<EndFn>("RmEndSession");
        DWORD session = 0;
        WCHAR key[CCH_RM_SESSION_KEY + 1] = {};
        if (start(&session, 0, key) != ERROR_SUCCESS)
            return {};
        const std::wstring file = AnsiToWide(path);
        LPCWSTR files[] = {file.c_str()};
        RM_PROCESS_INFO programs[kProgramsAsked] = {};
        UINT needed = 0, count = kProgramsAsked;
        DWORD reasons = 0;
        if (registerResources(session, 1, files, 0, nullptr, 0, nullptr) == ERROR_SUCCESS &&
            getList(session, &needed, &count, programs, &reasons) == ERROR_SUCCESS) {
            for (UINT i = 0; i < count && i < kProgramsAsked; ++i)
                names += (names.empty() ? "" : ", ") + WideToAnsi(programs[i].strAppName) + " (process " +
                         std::to_string(programs[i].Process.dwProcessId) + ")";
        }
        end(session);
    } catch (const DllLoader::Err&) {
        return {};
    }
    return names;
}
