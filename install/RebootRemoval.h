#pragma once
// Deletion of files and directories at the next restart, and cancelling such
// pending deletions: MoveFileExA and PendingFileRenameOperations on the NT
// family, the "Rename" section of WININIT.INI on Windows 98/Me.
#include <string>

// True when scheduled (or already scheduled, on 98/Me). Never raises.
bool ScheduleRemovalOnReboot(const std::string& path);
// True when at least one pending deletion of the path was found and dropped.
bool CancelScheduledRemoval(const std::string& path);
