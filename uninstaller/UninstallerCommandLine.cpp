#include "UninstallerCommandLine.h"

#include <cstdio>

#include "ZeRizIva/Codepage.h"
#include "driver/CmdLine.h"

void ReadUninstallerOptions(const std::wstring& commandLine, UninstallerOptions& options)
{
    CmdLine cmdLine(commandLine, 0);
    options.unattended = cmdLine.HasSwitch(L"unat");
    if (cmdLine.PositionalCount() < 2)
        throw CmdLine::Err(L"Missing registration key name.");
    const std::wstring& keyName = cmdLine.TakePositional(1);
    if (keyName.find_first_of(L"\\\"") != std::wstring::npos)
        throw CmdLine::Err(L"Invalid registration key name: " + keyName + L".");
    options.keyName = WideToAnsi(keyName);

    const bool hasSection = cmdLine.GetOptionValue(L"result", options.resultSection);
    const bool hasEvent = cmdLine.GetOptionValue(L"done", options.doneEvent);
    if (hasSection != hasEvent)
        throw CmdLine::Err(L"-result and -done go together.");
    cmdLine.GetOptionValue(L"waitFor", options.originalProcess);
    std::wstring originalFile;
    if (cmdLine.GetOptionValue(L"originalFile", originalFile)) {
        if (originalFile.empty() || options.originalProcess.empty() || !hasSection)
            throw CmdLine::Err(L"-originalFile goes with -waitFor and -result.");
        options.originalFile = WideToAnsi(originalFile);
    }
    cmdLine.CheckAllUsed(false);
}

std::string CopyCommandLine(const std::string& copyPath, const UninstallerOptions& options,
                            const std::string& originalProcess, const std::string& originalFile)
{
    std::string line = "\"" + copyPath + "\" \"" + options.keyName + "\"";
    if (options.unattended)
        line += " -unat";
    if (!options.resultSection.empty())
        line += " -result=" + WideToAnsi(options.resultSection) + " -done=" + WideToAnsi(options.doneEvent);
    line += " -waitFor=" + originalProcess;
    if (!originalFile.empty())
        line += " \"-originalFile=" + originalFile + "\"";
    return line;
}

bool ParseHandleValue(const std::wstring& text, unsigned long long& value)
{
    if (text.empty() || text.size() > 16)
        return false;
    unsigned long long result = 0;
    for (wchar_t c : text) {
        unsigned digit = 0;
        if (c >= L'0' && c <= L'9')
            digit = c - L'0';
        else if (c >= L'a' && c <= L'f')
            digit = c - L'a' + 10;
        else if (c >= L'A' && c <= L'F')
            digit = c - L'A' + 10;
        else
            return false;
        result = result * 16 + digit;
    }
    if (result == 0)
        return false;
    value = result;
    return true;
}

std::string HandleValueText(unsigned long long value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%llx", value);
    return text;
}
