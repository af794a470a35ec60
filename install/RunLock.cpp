#include "RunLock.h"

#include <windows.h>

#include <string>

#include "ZeRizIva/Console.h"
#include "ui/MessageBox.h"

std::optional<SetupLock> AwaitSetupLock(bool interactive, const char* title)
{
    if (!interactive) {
        std::optional<SetupLock> lock = SetupLock::Acquire(SetupLock::kWaitSeconds);
        if (!lock)
            WriteLine(std::string(SetupLock::kBusyText) + ", aborting");
        return lock;
    }
    // Nobody waits a minute before a window that says why.
    for (;;) {
        if (std::optional<SetupLock> lock = SetupLock::Acquire(0))
            return lock;
        const std::string text = std::string(SetupLock::kBusyText) +
                                 ".\n\nPress Retry once it has ended, or Cancel to stop.";
        if (ShowMessageBox(text, title, MB_RETRYCANCEL | MB_ICONWARNING) != IDRETRY)
            return std::nullopt;
    }
}
