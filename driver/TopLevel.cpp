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

namespace {

constexpr int kFailureExitCode = 150;

int Report(const std::string& message, const char* boxTitle)
{
    WriteLine(message);
    if (Params().interactive)
        ShowMessageBox(message, boxTitle, MB_ICONERROR);
    return kFailureExitCode;
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
        return 201;
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
    if (exitCode == 200 || exitCode == 201) {
        WriteText(UsageText());
        WriteText("\n");
    }
}
