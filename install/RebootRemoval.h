#pragma once
// Deletion of files and directories at the next restart, a file's replacement
// then, and cancelling such pending operations: MoveFileExA and PendingFileRenameOperations on the NT
// family, the "Rename" section of WININIT.INI on Windows 98/Me.
#include <string>

// True when scheduled (or already scheduled, on 98/Me). Never raises.
bool ScheduleRemovalOnReboot(const std::string& path);
// Moves source over target at the next restart; both must exist. Never raises.
bool ScheduleReplacementOnReboot(const std::string& source, const std::string& target);
// True when at least one pending deletion or move of the path was found and
// dropped.
bool CancelScheduledRemoval(const std::string& path);
