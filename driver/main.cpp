#include "Installer.h"
#include "TopLevel.h"
#include "ZeRizIva/AllocationFailure.h"
#include "ZeRizIva/StructuredException.h"
#include "didur/LibraryLoading.h"
#include "install/ExitCodes.h"
#include "install/RunLog.h"

int main()
{
    RestrictLibraryLoadingToSystemDirectory();
    InstallAllocationFailureHandler();
    InstallStructuredExceptionTranslator();
    const int exitCode = RunWithTopLevelHandler(RunInstaller);
    WriteUsageIfAsked(exitCode);
    CloseRunLog(exitCode, NameOf(exitCode, exit_code::kNamedExitCodes));
    return exitCode;
}
