#include "TopLevel.h"

#include <windows.h>

#include <exception>
#include <string>

#include "ZeRizIva/CmdLine.h"
#include "install/InstallParams.h"
#include "InstallerOptions.h"
#include "ZeRizIva/Console.h"
#include "ZeRizIva/Exceptions.h"
#include "ui/MessageBox.h"
#include "install/ExitCodes.h"

namespace {

int Report(const std::string& message, const char* boxTitle)
{
    WriteLine(message);
    if (Params().interactive)
        ShowMessageBox(message, boxTitle, MB_ICONERROR);
    return exit_code::kInstallationError;
}

} // namespace

int RunWithTopLevelHandler(const std::function<int()>& body)
{
    try {
        return body();
    } catch (const SilentExit& exit) {
        return exit.ExitCode();
    } catch (const CmdLine::Err& error) {
        WriteLine(error.what());
        WriteLine("");
        return exit_code::kCommandLineError;
    } catch (const InstallError& error) {
        return Report(std::string("Installation error: ") + error.what(), "Installation Error");
    } catch (const std::exception& error) {
        return Report(std::string("std::exception caught: ") + error.what(), "Exception");
    } catch (...) {
        return Report("Unrecognized exception caught", "Exception");
    }
}

void WriteUsageIfAsked(int exitCode)
{
    if (exitCode == exit_code::kHelp || exitCode == exit_code::kCommandLineError) {
        WriteText(UsageText());
        WriteText("\n");
    }
}
