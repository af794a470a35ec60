#pragma once
// The uninstaller's own file is one of the files it removes, and the file of a
// running program cannot be deleted. So the uninstaller hands its work to a
// copy of itself in the temporary folder, under a name that other users cannot
// guess, and ends; the copy waits until the original process has ended, then
// removes everything, the original's file included, and leaves its own file to
// the next restart.
#include <string>

#include "UninstallerCommandLine.h"

// Starts the copy with the original's arguments and -waitFor (an inheritable
// handle of this process); every inheritable handle, the result channel's
// included, goes with it. Returns false with the reason, leaving nothing
// behind, when no copy could be made or started.
bool StartTemporaryCopy(const UninstallerOptions& options, std::string& failure);

// In the copy: waits until the original process has ended. Raises CmdLine::Err
// when the value is not a process handle.
void WaitForOriginal(const std::wstring& originalProcess);

// The path of this program's own file (empty when it cannot be told).
std::string OwnFilePath();
