#include "Requirements.h"

#include <windows.h>

#include <string>

#include "didur/OsInfo.h"
#include "ZeRizIva/Console.h"
#include "install/Prompt.h"
#include "install/ExitCodes.h"

namespace {

bool SystemIsSufficient()
{
    OsInfo& os = Os();
    const VersionTriple system = os.SystemVersion();
    if (system.a != VER_PLATFORM_WIN32_NT)
        return system >= kMinimumWin95Family;
    if (system == kWindowsNT4)
        return os.ServicePack() >= 3;
    return system > kWindowsNT4;
}

} // namespace

void CheckSystemRequirements()
{
    const bool browserOk = Os().BrowserVersion() >= kMinimumBrowser;
    if (SystemIsSufficient() && browserOk)
        return;
    const std::string requirement =
        "Velantrix requires Windows 98 or Windows NT 4.0 SP3 and Internet Explorer 4.0, or higher";
    Ask(Question{
        "Unsupported OS Version Detected",
        "The minimum requirements for installing Velantrix are:\n- Windows 98 or Windows NT 4.0 SP3,\n- Internet "
        "Explorer 4.0.\n\nDoes your system meet Velantrix minimum requirements?",
        true,
        "Warning: " + requirement,
        requirement + " (use /Force flag to override version checking); aborting",
        "",
        exit_code::kSystemTooOld,
    });
}
