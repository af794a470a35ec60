#include "Installer.h"
#include "TopLevel.h"
#include "ZeRizIva/AllocationFailure.h"
#include "ZeRizIva/StructuredException.h"

int main()
{
    InstallAllocationFailureHandler();
    InstallStructuredExceptionTranslator();
    const int exitCode = RunWithTopLevelHandler(RunInstaller);
    WriteUsageIfAsked(exitCode);
    return exitCode;
}
