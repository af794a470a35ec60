#include "RunLog.h"

#include <windows.h>

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

// Zero-padded decimal digits (no printf: its engine would double the
// programs' share of the C runtime).
std::string Digits(unsigned value, size_t width)
{
    const std::string digits = std::to_string(value);
    return std::string(digits.size() < width ? width - digits.size() : 0, '0') + digits;
}

// "2026-12-11 18:25:39.711 "
std::string Stamp()
{
    SYSTEMTIME now;
    GetLocalTime(&now);
    return Digits(now.wYear, 4) + "-" + Digits(now.wMonth, 2) + "-" + Digits(now.wDay, 2) + " " +
           Digits(now.wHour, 2) + ":" + Digits(now.wMinute, 2) + ":" + Digits(now.wSecond, 2) + "." +
           Digits(now.wMilliseconds, 3) + " ";
}

void WriteToLog(std::string_view line)
{
    const std::string text = Stamp() + std::string(line) + "\r\n";
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
