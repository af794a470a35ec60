#pragma once
// The uninstaller's command line, as "UninstallString" and the result protocol
// (uninstall_contract/ResultProtocol.h) make it:
//   uninst.exe <key name> [-unat] [-result=<section> -done=<event>] [-waitFor=<process>]
// The handle values are hexadecimal. -waitFor is given only to the temporary
// copy: the original's process handle, inherited, so the copy can wait until
// the original's file is free.
#include <string>

struct UninstallerOptions {
    std::string keyName;
    bool unattended = false;
    std::wstring resultSection;  // empty when not given
    std::wstring doneEvent;
    std::wstring originalProcess;
};

// Raises CmdLine::Err for a missing or malformed key name, an argument it does
// not know, or only one of -result and -done. `unattended` is filled first, so
// that even then it says how to report.
void ReadUninstallerOptions(const std::wstring& commandLine, UninstallerOptions& options);

// The temporary copy's command line: the original's arguments and -waitFor.
std::string CopyCommandLine(const std::string& copyPath, const UninstallerOptions& options,
                            const std::string& originalProcess);
