#include "WriteFilesFromLzmaStream.h"

#include <windows.h>

#include "LzmaPackageDecoder.h"
#include "ZeRizIva/Resource.h"
#include "ZeRizIva/Console.h"
#include "ZeRizIva/Exceptions.h"
#include "ZeRizIva/FaultInjection.h"
#include "ZeRizIva/WinErrorMessage.h"
#include "install/InstallParams.h"
#include "didur/OsInfo.h"
#include "install/FileActions.h"
#include "install/FileSystem.h"
#include "install/RebootRemoval.h"
#include "install/RunJournal.h"

namespace {

// What a new file is called while the file it replaces is in use.
constexpr char kWaitingSuffix[] = ".new";

HANDLE CreateTargetFile(const std::string& path, DWORD disposition)
{
    return InjectedFailure("CreateFileA") ? INVALID_HANDLE_VALUE
                                          : CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                                        disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
}

bool HeldByAProgram(DWORD error) { return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION; }

} // namespace

WriteFilesFromLzmaStream::~WriteFilesFromLzmaStream()
{
    if (!RollbackWanted())
        return;
    while (!created_.empty()) {
        RollbackFile(created_.back());
        created_.pop_back();
    }
    // The earlier installation's file goes at the restart again, as its removal had it.
    for (const Replacement& replacement : replacements_) {
        CancelScheduledRemoval(replacement.waiting);
        ScheduleRemovalOnReboot(replacement.target);
    }
}

void WriteFilesFromLzmaStream::Extract(int resourceId, const std::string& targetDirectory)
{
    const ResourceBytes stream = LoadOwnResource(resourceId, "BINARY");
    ExtractStream(stream.data, stream.size, targetDirectory);
}

void WriteFilesFromLzmaStream::ExtractStream(const unsigned char* stream, std::size_t size,
                                             const std::string& targetDirectory)
{
    PackageParser parser(*this, targetDirectory, Params().uninstallerPath);
    try {
        DecodeLzmaPackage(stream, size, parser);
    } catch (...) {
        Close();
        throw;
    }
    Close();
}

unsigned long WriteFilesFromLzmaStream::Platform() { return Os().Platform(); }

void WriteFilesFromLzmaStream::Open(const std::string& path)
{
    AddUninstallFileSwitch(path);
    const bool existed = PathExists(path);
    // A file the removal of the earlier installation left to the next restart,
    // because a program took it after the in-use check, is that installation's:
    // replaced without asking, now or, while it is still in use, at the restart.
    const bool leftToRestart = existed && CancelScheduledRemoval(path);
    if (existed && !leftToRestart)
        ConfirmOverwrite(path);  // overwritten, never deleted by the rollback
    else
        RunJournal::File(path);
    WriteLine("Installing " + path);
    std::string created = path;
    file_.reset(CreateTargetFile(path, CREATE_ALWAYS));
    DWORD error = file_ ? ERROR_SUCCESS : GetLastError();
    if (!file_ && leftToRestart && HeldByAProgram(error)) {
        created = path + kWaitingSuffix;
        RunJournal::File(created);
        file_.reset(CreateTargetFile(created, CREATE_NEW));
        error = file_ ? ERROR_SUCCESS : GetLastError();
        if (file_ && !ScheduleReplacementOnReboot(created, path)) {
            error = GetLastError();
            file_.reset();
            DeleteFileA(created.c_str());
        }
        if (file_) {
            replacements_.push_back({created, path});
            WriteLine("Warning: '" + path + "' is in use; the new file replaces it when Windows restarts");
        }
    }
    if (!file_) {
        if (leftToRestart)
            ScheduleRemovalOnReboot(path);  // as the earlier installation's removal had it
        throw InstallError("Error creating target installation file '" + created +
                           "' - CreateFile() failed with the following error: " + WindowsErrorText(error));
    }
    // Only once it is ours: a path that could not be created is not ours to
    // delete, nor to schedule for deletion, which would take whatever another
    // program puts there before the restart.
    if (!existed || leftToRestart)
        created_.push_back(created);
    path_ = created;
    // A restart-time deletion pending from an earlier uninstallation must not
    // remove the new file. Only now: pending entries are matched by the short
    // form of the path, which a file that does not exist yet has not got.
    if (created == path)
        CancelScheduledRemoval(path);
}

void WriteFilesFromLzmaStream::Write(const unsigned char* bytes, std::size_t count)
{
    // Pieces come from the 128 KiB output buffer, so one call always fits a DWORD.
    DWORD written = 0;
    if (InjectedFailure("WriteFile") || !WriteFile(file_.get(), bytes, static_cast<DWORD>(count), &written, nullptr)) {
        const DWORD error = GetLastError();
        throw InstallError("Error writing to target installation file '" + path_ +
                           "' - WriteFile() failed with the following error: " + WindowsErrorText(error));
    }
    if (written != count)
        throw InstallError("Error writing to target installation file '" + path_ + "' - WriteFile() wrote " +
                           std::to_string(written) + " bytes instead of " + std::to_string(count));
    writtenBytes_ += written;
}

void WriteFilesFromLzmaStream::Close() { file_.reset(); }
