#include "PathRemoval.h"

#include <windows.h>

#include "ZeRizIva/Text.h"
#include "ZeRizIva/UniqueHandle.h"
#include "ZeRizIva/WinErrorMessage.h"
#include "install/FileSystem.h"
#include "install/RebootRemoval.h"

namespace {

bool IsGone(DWORD error) { return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND; }

// The reason a restart-time removal could not be arranged, when the system gave one.
std::string SchedulingFailure(const std::string& item)
{
    const DWORD error = GetLastError();
    std::string text = "Scheduling the removal of " + item + " at the next restart failed";
    if (error != 0)
        text += ": " + WindowsErrorText(error);
    return text;
}

ItemOutcome ScheduleInstead(const std::string& path, const std::string& failure)
{
    if (ScheduleRemovalOnReboot(path))
        return {ItemOutcome::Scheduled, failure + "; it will be removed at the next restart"};
    return {ItemOutcome::Failed, failure + ". " + SchedulingFailure(path)};
}

} // namespace

ItemOutcome DeleteListedFile(const std::string& path)
{
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        if (IsGone(GetLastError()))
            return RemovedOutcome();
    } else if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
        return {ItemOutcome::Failed, "Deleting file " + path + " failed: it is a directory"};
    } else if (attributes & FILE_ATTRIBUTE_READONLY) {
        // Listed for deletion: its read-only mark does not protect it.
        SetFileAttributesA(path.c_str(), (attributes & ~FILE_ATTRIBUTE_READONLY) | FILE_ATTRIBUTE_NORMAL);
    }
    if (DeleteFileA(path.c_str()))
        return RemovedOutcome();
    const DWORD error = GetLastError();
    if (IsGone(error))
        return RemovedOutcome();
    return ScheduleInstead(path, "Deleting file " + path + " failed: " + WindowsErrorText(error));
}

ItemOutcome RemoveListedDirectory(const std::string& path, bool somethingInsideScheduled)
{
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        if (IsGone(GetLastError()))
            return RemovedOutcome();
    } else if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        return {ItemOutcome::Failed, "Removing directory " + path + " failed: it is not a directory"};
    }
    if (RemoveDirectoryA(path.c_str()))
        return RemovedOutcome();
    const DWORD error = GetLastError();
    if (IsGone(error))
        return RemovedOutcome();
    // Asked rather than read from the error code, which Windows 98 does not
    // make specific.
    if (!IsDirectoryEmpty(path)) {
        // What others put there stays, and so does the directory holding it.
        if (!somethingInsideScheduled)
            return {ItemOutcome::Kept, "Directory " + path + " is not empty; it was left in place"};
        if (ScheduleRemovalOnReboot(path))
            return {ItemOutcome::Scheduled,
                    "Directory " + path + " is not empty yet; it will be removed at the next restart"};
        return {ItemOutcome::Failed, SchedulingFailure(path)};
    }
    return ScheduleInstead(path, "Removing directory " + path + " failed: " + WindowsErrorText(error));
}

ItemOutcome ScheduleListedItem(const std::string& path, bool directory)
{
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES && IsGone(GetLastError()))
        return RemovedOutcome();
    if (attributes != INVALID_FILE_ATTRIBUTES && ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) != directory)
        return {ItemOutcome::Failed, "Scheduling the removal of " + path + " failed: it is not a " +
                                         (directory ? "directory" : "file")};
    if (ScheduleRemovalOnReboot(path))
        return {ItemOutcome::Scheduled, path + " will be removed at the next restart"};
    return {ItemOutcome::Failed, SchedulingFailure(path)};
}
