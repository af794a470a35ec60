#include "ItemRemoval.h"

#include <windows.h>

#include "RebootRemoval.h"
#include "ZeRizIva/Console.h"
#include "ZeRizIva/WinErrorMessage.h"
#include "install/Prompt.h"

const RemovalTexts kDirectoryRemoval = {
    "Rollback: removing previously created ",
    "Rollback: error removing directory: ",
    "Directory Deletion Failed",
    "The directory will be scheduled for removal on reboot.",
    "Scheduling removing directory on reboot",
    "Scheduling removing directory failed",
};

const RemovalTexts kFileRemoval = {
    "Rollback: removing previously created ",
    "File deletion failed: ",
    "File Deletion Failed",
    "The file will be scheduled for deletion on reboot.",
    "Scheduling file deletion on reboot",
    "Scheduling file deletion failed",
};

const RemovalTexts kShortcutRemoval = {
    "Rollback: removing previously created shortcut ",
    "Shortcut deletion failed: ",
    "Shortcut Removal Failed",
    "The shortcut will be scheduled for removal on reboot.",
    "Scheduling remove shortcut on reboot",
    "Scheduling remove shortcut failed",
};

void RemoveOrScheduleOnReboot(const std::string& path, const RemovalTexts& texts, int(__stdcall* remove)(const char*))
{
    try {
        WriteLine(texts.announcement + path);
        if (remove(path.c_str())) {
            WriteLogLine("Rollback: removed " + path);  // the log tells each undo's outcome
            return;
        }
        const std::string reason = WindowsErrorText(GetLastError());
        WriteLine(texts.failure + reason);
        NotifyRollbackFailure(texts.boxTitle, "Unable to remove previously created '" + path + "'.\nReason: " + reason +
                                                  "\n" + texts.boxSentence);
        WriteLine(texts.scheduling);
        if (!ScheduleRemovalOnReboot(path))
            WriteLine(texts.schedulingFailed);
    } catch (...) {
        // An undo never stops the rollback.
    }
}
