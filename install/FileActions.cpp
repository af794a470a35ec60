#include "FileActions.h"

#include <windows.h>

#include "ItemRemoval.h"
#include "ZeRizIva/Codepage.h"
#include "install/InstallParams.h"
#include "install/Prompt.h"
#include "install/ExitCodes.h"

void AddUninstallFileSwitch(const std::string& path)
{
    if (CompareNoCase(path, Params().mainProgramPath) == 0)
        UninstallRecord().MainFile(path);
    else
        UninstallRecord().File(path);
}

void ConfirmOverwrite(const std::string& path)
{
    Ask(Question{
        "Target File Exists",
        "Warning: '" + path +
            "' already exists.\nDo you want it to be overwritten?\nClicking 'Yes' will overwrite the file, clicking "
            "'No' will abort the installation.",
        false,
        "Warning: '" + path + "' already exists, will be overwritten",
        "Target file '" + path + "' already exists, aborting",
        "file already exists",
        exit_code::kFileExists,
    });
}

void RollbackFile(const std::string& path) { RemoveOrScheduleOnReboot(path, kFileRemoval, DeleteFileA); }
