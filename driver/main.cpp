#include "Installer.h"
#include "TopLevel.h"
#include "ZeRizIva/AllocationFailure.h"
#include "ZeRizIva/StructuredException.h"
#include "didur/LibraryLoading.h"

int main()
{
    RestrictLibraryLoadingToSystemDirectory();
    InstallAllocationFailureHandler();
    InstallStructuredExceptionTranslator();
    const int exitCode = RunWithTopLevelHandler(RunInstaller);
    WriteUsageIfAsked(exitCode);
    return exitCode;
}
