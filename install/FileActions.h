#pragma once
// What the installer does around every file it writes.
#include <string>

// Appends " \"-delMainFile=path\"" for the main program (compared without
// regard to case), else " \"-delFile=path\"", to the uninstall parameter string.
void AddUninstallFileSwitch(const std::string& path);
// Settles a file that exists already: returns when it may be overwritten, else
// raises SilentExit 104 (after the box or the line).
void ConfirmOverwrite(const std::string& path);
// Deletes a file this run created; reports, and schedules it for the next
// restart, when it cannot. Never raises.
void RollbackFile(const std::string& path);
