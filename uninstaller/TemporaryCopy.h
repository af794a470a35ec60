#pragma once
// The uninstaller's own file is one of the files it removes, and the file of a
// running program cannot be deleted. So the uninstaller hands its work to a
// copy of itself in the temporary folder, under a name that other users cannot
// guess; the copy removes everything, the original's file (once the original
// process has ended) included, and leaves its own file to the next restart.
#include <string>

#include "UninstallerCommandLine.h"
#include "ZeRizIva/UniqueHandle.h"

// Starts the copy with the options' arguments and -waitFor (an inheritable
// handle of this process), and with -originalFile when originalWaits; every
// inheritable handle, the result channel's included, goes with it. Returns
// false with the reason, leaving nothing behind, when no copy could be made or
// started; else the copy's process handle.
bool StartTemporaryCopy(const UninstallerOptions& options, bool originalWaits, UniqueKernelHandle& copy,
                        std::string& failure);

// In the copy: the original's process, to wait until it has ended. Raises
// CmdLine::Err when the value is not a process handle.
UniqueKernelHandle OriginalProcess(const std::wstring& originalProcess);

// The path of this program's own file (empty when it cannot be told).
std::string OwnFilePath();
