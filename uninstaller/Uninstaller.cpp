// The product's uninstaller, uninst.exe: removes what the installation's
// registration lists. A windows program, so that nothing but its own message
// boxes ever shows; with " -unat" it shows none and writes lines only.
#include <windows.h>

#include "Uninstallation.h"
#include "ZeRizIva/AllocationFailure.h"
#include "ZeRizIva/StructuredException.h"
#include "didur/LibraryLoading.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    RestrictLibraryLoadingToSystemDirectory();
    InstallAllocationFailureHandler();
    InstallStructuredExceptionTranslator();
    return RunUninstaller(GetCommandLineW());
}
