#include "FileStep.h"

#include "ExtractResourceToFile.h"
#include "ZeRizIva/Console.h"
#include "install/InstallParams.h"
#include "install/FileActions.h"
#include "install/FileSystem.h"
#include "install/RebootRemoval.h"
#include "install/RunJournal.h"

FileStep::FileStep(int resourceId, std::string path)
    : path_(path.empty() ? Params().uninstallerPath : std::move(path))
{
    // Recorded for the uninstaller before the check: an overwritten file is
    // removed by the uninstaller all the same.
    AddUninstallFileSwitch(path_);
    if (PathExists(path_)) {
        keep = true;  // never delete what was there before
        ConfirmOverwrite(path_);
    } else {
        RunJournal::File(path_);
    }
    WriteLine("Installing " + path_);
    try {
        ExtractResourceToFile(path_, resourceId);
    } catch (...) {
        // This step never finishes, so its destructor will not run: a file it
        // began itself must not stay behind half written.
        if (RollbackWanted() && PathExists(path_))
            RollbackFile(path_);
        throw;
    }
    CancelScheduledRemoval(path_);
}

FileStep::~FileStep()
{
    if (RollbackWanted())
        RollbackFile(path_);
}
