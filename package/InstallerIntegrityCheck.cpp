#include "InstallerIntegrityCheck.h"

#include <windows.h>

#include "FileConsistency.h"
#include "ZeRizIva/Console.h"
#include "ZeRizIva/Exceptions.h"
#include "ui/MessageBox.h"
#include "install/ExitCodes.h"

void CheckInstallerIntegrity(bool interactive)
{
    if (VerifyModuleFileConsistency(nullptr))
        return;
    WriteLine("Installer integrity check failed: this distributable appears to have been");
    WriteLine("damaged during transmission or in the process of being stored to your hard");
    WriteLine("drive. Please try again with a freshly downloaded copy.");
    if (interactive)
        ShowMessageBox("This distributable appears to have been damaged during\n"
                       "transmission or in the process of being stored to your hard drive.\n"
                       "Please try again with a freshly downloaded copy.",
                       "Installer integrity check failed", MB_ICONERROR);
    throw SilentExit(exit_code::kDamagedInstaller);
}
