#include "InstallerOptions.h"

#include "ZeRizIva/CmdLine.h"
#include "install/InstallParams.h"
#include "product/Product.h"
#include "ZeRizIva/Codepage.h"
#include "ZeRizIva/Exceptions.h"
#include "install/ExitCodes.h"

unsigned InstallerCmdLineFlags() { return CmdLine::BackslashEscapes | CmdLine::DoubledQuotes | CmdLine::SlashOptions; }

bool IsInteractiveCommandLine(const CmdLine& cmdLine)
{
    // A log keeps the dialog.
    return cmdLine.PositionalCount() < 2 && cmdLine.OptionCount() == (cmdLine.HasOption(L"log") ? 1u : 0u);
}

std::string ReadLogFile(CmdLine& cmdLine)
{
    std::wstring file;
    if (!cmdLine.GetOptionValue(L"log", file))
        return {};
    if (file.empty())
        throw CmdLine::Err(L"Missing log file name after '-log='.");
    return WideToAnsi(file);
}

void ParseInstallerOptions(CmdLine& cmdLine)
{
    if (cmdLine.IsHelpRequested())
        throw SilentExit(exit_code::kHelp);
    InstallParams& params = Params();
    params.force = cmdLine.HasSwitch(L"force");
    params.noRollback = cmdLine.HasSwitch(L"noRollback");
    params.acceptEULA = cmdLine.HasSwitch(L"acceptEULA");
    std::wstring directory;
    if (cmdLine.GetOptionValue(L"installDir", directory))
        params.installDir = WideToAnsi(directory);
    if (params.installDir.empty())
        throw CmdLine::Err(L"Missing '-installDir' parameter.");
}

const std::string& UsageText()
{
    static const std::string text = std::string("This program will install ") + product::kFullName + " " +
                                    product::kVersion +
                                    "\n"
                                    "on the machine it is being run on.\n"
                                    "\n"
                                    "Velantrix is an SSH2 client for Windows 98/Me/NT/2000/XP/2003.\n"
                                    "For more information, please visit " +
                                    product::kWebSiteHost +
                                    ".\n"
                                    "\n"
                                    "If this program is run without command line options, installation\n"
                                    "will be performed in interactive mode. If run with command line\n"
                                    "options, installation will be performed in unattended mode.\n"
                                    "\n"
                                    "Usage (unattended mode only):\n"
                                    " VelantrixInstaller -installDir=directory\n"
                                    "                    [-acceptEULA] [-force] [-noRollback]\n"
                                    "                    [-installForMeOnly] [-noDesktopIcon]\n";
    return text;
}
