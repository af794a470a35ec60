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

WriteFilesFromLzmaStream::~WriteFilesFromLzmaStream()
{
    if (!RollbackWanted())
        return;
    while (!created_.empty()) {
        RollbackFile(created_.back());
        created_.pop_back();
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
    if (existed)
        ConfirmOverwrite(path);  // overwritten, never deleted by the rollback
    else
        RunJournal::File(path);
    WriteLine("Installing " + path);
    file_.reset(InjectedFailure("CreateFileA") ? INVALID_HANDLE_VALUE
                                               : CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                                             CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file_) {
        const DWORD error = GetLastError();
        throw InstallError("Error creating target installation file '" + path +
                           "' - CreateFile() failed with the following error: " + WindowsErrorText(error));
    }
    // Only once it is ours: a path that could not be created is not ours to
    // delete, nor to schedule for deletion, which would take whatever another
    // program puts there before the restart.
    if (!existed)
        created_.push_back(path);
    path_ = path;
    // A restart-time deletion pending from an earlier uninstallation must not
    // remove the new file. Only now: pending entries are matched by the short
    // form of the path, which a file that does not exist yet has not got.
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
