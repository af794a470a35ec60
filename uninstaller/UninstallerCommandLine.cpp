#include "UninstallerCommandLine.h"

#include "ZeRizIva/Codepage.h"
#include "ZeRizIva/CmdLine.h"
#include "uninstall_contract/ResultProtocol.h"

void ReadUninstallerOptions(const std::wstring& commandLine, UninstallerOptions& options)
{
    CmdLine cmdLine(commandLine, 0);
    options.unattended = cmdLine.HasSwitch(result_protocol::kUnattended);
    if (cmdLine.PositionalCount() < 2)
        throw CmdLine::Err(L"Missing registration key name.");
    const std::wstring& keyName = cmdLine.TakePositional(1);
    if (keyName.find_first_of(L"\\\"") != std::wstring::npos)
        throw CmdLine::Err(L"Invalid registration key name: " + keyName + L".");
    options.keyName = WideToAnsi(keyName);

    const bool hasSection = cmdLine.GetOptionValue(result_protocol::kSection, options.resultSection);
    const bool hasEvent = cmdLine.GetOptionValue(result_protocol::kEvent, options.doneEvent);
    if (hasSection != hasEvent)
        throw CmdLine::Err(L"-result and -done go together.");
    std::wstring logFile;
    if (cmdLine.GetOptionValue(L"log", logFile)) {
        if (logFile.empty())
            throw CmdLine::Err(L"Missing log file name after '-log='.");
        options.logFile = WideToAnsi(logFile);
    }
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
        line += result_protocol::Switch(result_protocol::kUnattended, false);
    if (!options.logFile.empty())
        line += " \"-log=" + options.logFile + "\"";
    if (!options.resultSection.empty())
        line += result_protocol::ChannelArguments(WideToAnsi(options.resultSection), WideToAnsi(options.doneEvent));
    line += " -waitFor=" + originalProcess;
    if (!originalFile.empty())
        line += " \"-originalFile=" + originalFile + "\"";
    return line;
}
