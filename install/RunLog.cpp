#include "RunLog.h"

#include <windows.h>

#include <cstdio>
#include <string_view>

#include "didur/OsInfo.h"
#include "didur/UserRights.h"
#include "product/Product.h"
#include "ZeRizIva/Console.h"
#include "ZeRizIva/UniqueHandle.h"
#include "ZeRizIva/WinErrorMessage.h"

namespace {

UniqueFile& LogFile()
{
    static UniqueFile file;
    return file;
}

void WriteToLog(std::string_view line)
{
    SYSTEMTIME now;
    GetLocalTime(&now);
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "%04u-%02u-%02u %02u:%02u:%02u.%03u ", now.wYear, now.wMonth, now.wDay,
                  now.wHour, now.wMinute, now.wSecond, now.wMilliseconds);
    const std::string text = stamp + std::string(line) + "\r\n";
    // The uninstaller's temporary copy writes into the same file.
    SetFilePointer(LogFile().get(), 0, nullptr, FILE_END);
    DWORD written = 0;
    WriteFile(LogFile().get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

std::string SystemText()
{
    OsInfo& os = Os();
    const VersionTriple system = os.SystemVersion();
    std::string text = "Windows " + std::to_string(system.b) + "." + std::to_string(system.c) +
                       (system.a == VER_PLATFORM_WIN32_NT ? ", NT family" : ", 95 family");
    if (os.ServicePack() > 0)
        text += ", service pack " + std::to_string(os.ServicePack());
    return text;
}

} // namespace

std::string OpenRunLog(const std::string& path, const char* program, bool interactive)
{
    LogFile().reset(CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL | FILE_FLAG_WRITE_THROUGH, nullptr));
    if (!LogFile())
        return WindowsErrorText(GetLastError());
    SetLineSink(WriteToLog);
    WriteLogLine(std::string(product::kFullName) + " " + product::kVersion + " " + program);
    WriteLogLine(std::string("Command line: ") + GetCommandLineA());
    WriteLogLine("System: " + SystemText());
    WriteLogLine(std::string("Mode: ") + (interactive ? "interactive" : "unattended"));
    WriteLogLine(std::string("Administrator: ") + (IsUserAdmin(false) ? "yes" : "no"));
    return {};
}

void CloseRunLog(int exitCode, const char* name)
{
    WriteLogLine("Exit code " + std::to_string(exitCode) + " (" + name + ")");
}
