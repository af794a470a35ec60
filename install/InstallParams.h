#pragma once
// The process-wide parameters of the installation: written by the driver before
// the first install step, read by the steps.
#include <string>

#include "uninstall_contract/UninstallParamsWriter.h"

struct InstallParams {
    bool interactive = false;
    bool force = false;
    bool noRollback = false;
    bool acceptEULA = false;
    std::string installDir;          // ANSI code page
    std::string mainProgramPath;     // installDir joined with velantrix.exe
    std::string uninstallParams;     // grows as the steps record their items (UninstallRecord)
    std::string uninstallerPath;     // installDir joined with uninst.exe
};

InstallParams& Params();

// The writer of Params().uninstallParams, through which every step records
// what it made.
inline UninstallParamsWriter UninstallRecord() { return UninstallParamsWriter(Params().uninstallParams); }
