#pragma once
// The uninstaller's command line, as "UninstallString" and the result protocol
// (uninstall_contract/ResultProtocol.h) make it:
//   uninst.exe <key name> [-unat] ["-log=<file>"] [-result=<section> -done=<event>]
//              [-waitFor=<process> ["-originalFile=<path>"]]
// The handle values are hexadecimal. -waitFor is given only to the temporary
// copy: the original's process handle, inherited, so the copy can wait until
// the original's file is free. -originalFile tells the copy that the original
// waits for its result (through -result and -done, which it made itself): the
// copy reports first, and only the original's file and the directories
// holding it wait until the original has ended.
#include <string>

struct UninstallerOptions {
    std::string keyName;
    bool unattended = false;
    std::wstring resultSection;  // empty when not given
    std::wstring doneEvent;
    std::wstring originalProcess;
    std::string originalFile;  // empty when not given
    std::string logFile;       // empty when not given
};

// Raises CmdLine::Err for a missing or malformed key name, an argument it does
// not know, only one of -result and -done, or -originalFile without -waitFor
// and -result. `unattended` is filled first, so that even then it says how to
// report.
void ReadUninstallerOptions(const std::wstring& commandLine, UninstallerOptions& options);

// The temporary copy's command line: the options' arguments (the log's too), -waitFor and,
// when originalFile is not empty, -originalFile.
std::string CopyCommandLine(const std::string& copyPath, const UninstallerOptions& options,
                            const std::string& originalProcess, const std::string& originalFile);
