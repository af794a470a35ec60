#include "Installer.h"

#include <windows.h>

#include <string>

#include "ZeRizIva/CmdLine.h"
#include "ExistingInstallation.h"
#include "install/InstallParams.h"
#include "InstallSequence.h"
#include "InstallerOptions.h"
#include "product/Product.h"
#include "ProgramLaunch.h"
#include "Requirements.h"
#include "didur/UserRights.h"
#include "ZeRizIva/Console.h"
#include "ZeRizIva/Exceptions.h"
#include "ZeRizIva/Text.h"
#include "package/InstallerIntegrityCheck.h"
#include "ui/InstallerDialog.h"
#include "ui/MessageBox.h"
#include "install/ExitCodes.h"
#include "install/RunLock.h"
#include "install/RunLog.h"
#include "ZeRizIva/Codepage.h"
#include "install/RunJournal.h"

namespace {

void ReadUnattendedOptions(CmdLine& cmdLine, RunChoices& choices)
{
    ParseInstallerOptions(cmdLine);
    if (cmdLine.HasSwitch(L"installForMeOnly"))
        choices.allUsers = false;
    choices.desktopIcon = !cmdLine.HasSwitch(L"noDesktopIcon");
    cmdLine.CheckAllUsed(false);
}

void RequireAcceptedAgreement()
{
    if (Params().acceptEULA)
        return;
    WriteErrorLine("Missing -acceptEULA parameter to indicate your acceptance of the Velantrix");
    WriteErrorLine("End-User License Agreement. Please run this installer without parameters to");
    WriteErrorLine("read the EULA, then supply -acceptEULA for unattended installation.");
    throw SilentExit(exit_code::kAgreementNotAccepted);
}

void RunInstallerDialog(RunChoices& choices)
{
    InstallParams& params = Params();
    const InstallerDialogChoices dialogChoices{params.acceptEULA,     params.installDir,
                                               choices.allUsers,      choices.desktopIcon,
                                               choices.launchWhenDone, choices.buttonCaption};
    if (ShowInstallerDialog(dialogChoices) != 1)
        throw SilentExit(exit_code::kDialogCancelled);
}

void ReportCompletion(const RunChoices& choices, bool restartNeeded)
{
    const std::string completed = std::string(product::kFullName) + " " + product::kVersion + " installation completed";
    const std::string restart = "Restart Windows to finish the installation: the files in use are replaced then";
    if (Params().interactive) {
        ShowMessageBox(completed + ".\n" + (restartNeeded ? "\n" + restart + ".\n" : ""), "Installation Completed",
                       MB_ICONINFORMATION);
        // The program would start from files that wait for the restart.
        if (choices.launchWhenDone && !restartNeeded)
            LaunchInstalledProgram();
    }
    WriteLine(completed);
    if (restartNeeded)
        WriteLine(restart);
}

} // namespace

int RunInstaller()
{
    InstallParams& params = Params();
    RunChoices choices;
    choices.allUsers = IsUserAdmin(true);

    CmdLine cmdLine(GetCommandLineW(), InstallerCmdLineFlags());
    params.interactive = IsInteractiveCommandLine(cmdLine);
    // Before anything else, so that the log holds the whole run.
    const std::string logFile = ReadLogFile(cmdLine);
    if (!logFile.empty()) {
        const std::string failure = OpenRunLog(logFile, "installer", params.interactive);
        if (!failure.empty())
            throw CmdLine::Err(AnsiToWide("Cannot open the log file '" + logFile + "': " + failure));
    }

    CheckInstallerIntegrity(params.interactive);
    // One installation or removal of the product at a time, from here to the end.
    const std::optional<SetupLock> lock = AwaitSetupLock(params.interactive, "Installation In Progress");
    if (!lock)
        throw SilentExit(exit_code::kAnotherRunInProgress);

    if (!params.interactive)
        ReadUnattendedOptions(cmdLine, choices);
    // Before anything reads the registration, which a dead run may have written.
    FinishInterruptedRun();
    if (params.interactive)
        params.installDir = ReadExistingInstallDir();

    CheckSystemRequirements();
    choices.existingVersion = ReadExistingVersion();

    if (params.interactive) {
        choices.buttonCaption = InstallButtonCaption(choices.existingVersion);
        RunInstallerDialog(choices);
    } else
        RequireAcceptedAgreement();

    RemoveExistingInstallation();

    UninstallRecord().SharedResources(product::kSharedResourceOwner);
    params.uninstallerPath = PathJoin(params.installDir, product::kUninstallerFile);
    params.mainProgramPath = PathJoin(params.installDir, product::kMainProgramFile);

    const bool restartNeeded = InstallProduct(choices);
    ReportCompletion(choices, restartNeeded);
    return restartNeeded ? exit_code::kRestartNeeded : exit_code::kInstalled;
}
