#pragma once
// The machine-wide lock that keeps installations and removals of the product
// apart, taken as a run of the installer or the uninstaller must take it.
#include <optional>

#include "uninstall_contract/SetupLock.h"

// Unattended: waits for another run to end, within SetupLock::kWaitSeconds,
// and when it does not, writes SetupLock::kBusyText and ", aborting".
// Interactive: while another run holds the lock, a box offers Retry and
// Cancel. Nothing when the run must end (then with
// exit_code::kAnotherRunInProgress, whatever the program).
std::optional<SetupLock> AwaitSetupLock(bool interactive, const char* title);
