#include "DirectoryStep.h"

#include <windows.h>

#include "FileSystem.h"
#include "ItemRemoval.h"
#include "RebootRemoval.h"
#include "RunJournal.h"
#include "ZeRizIva/FaultInjection.h"
#include "ZeRizIva/WinErrorMessage.h"
#include "install/Prompt.h"
#include "install/ExitCodes.h"

DirectoryStep::DirectoryStep(std::string path, bool mustBeEmpty) : path_(std::move(path))
{
    // Recorded for the uninstaller before any check: also a directory that was
    // there before is listed.
    UninstallRecord().Directory(path_);

    if (PathExists(path_)) {
        keep = true;  // never remove what was there before
        if (!IsDirectory(path_))
            Fail(Failure{
                "Invalid Target Directory",
                "Unable to create target directory '" + path_ +
                    "': The specified target path already exists and is not a directory.",
                "Unable to create target directory '" + path_ +
                    "': The specified target path already exists and is not a directory, aborting",
                exit_code::kDirectoryRefused,
                exit_code::kDirectoryConflict,
            });
        if (mustBeEmpty && !IsDirectoryEmpty(path_))
            Ask(Question{
                "Target Directory Already Exists",
                "Warning: '" + path_ +
                    "' directory already exists and is not empty.\nContinuing installation is not recommended. Do you "
                    "want to continue anyway?",
                false,
                "Warning: target directory '" + path_ + "' already exists and is not empty",
                "Target directory '" + path_ + "' already exists and is not empty, aborting",
                "directory not empty",
                exit_code::kDirectoryRefused,
            });
    } else {
        RunJournal::Directory(path_);
        if (InjectedFailure("CreateDirectoryA") || !CreateDirectoryA(path_.c_str(), nullptr)) {
            const std::string reason = WindowsErrorText(GetLastError());
            const std::string text = "Unable to create target directory '" + path_ + "': " + reason;
            Fail(Failure{"Directory Creation Failed", text, text, exit_code::kDirectoryConflict,
                         exit_code::kDirectoryNotCreated});
        }
        created_ = true;
    }
    // A restart-time deletion still pending from an earlier uninstallation must
    // not remove the directory.
    CancelScheduledRemoval(path_);
}

DirectoryStep::~DirectoryStep()
{
    if (RollbackWanted() && created_)
        RemoveOrScheduleOnReboot(path_, kDirectoryRemoval, RemoveDirectoryA);
}
