#pragma once
// The installer's own layer over CmdLine: the mode, the unattended options and
// the usage text.
#include <string>

class CmdLine;

// The flags the installer parses its command line with.
unsigned InstallerCmdLineFlags();

// Interactive when nothing but the program path (and -log=) was given.
bool IsInteractiveCommandLine(const CmdLine& cmdLine);

// The file that -log= names, in either mode; empty without one. Raises
// CmdLine::Err for -log= without a name.
std::string ReadLogFile(CmdLine& cmdLine);

// Fills force, noRollback, acceptEULA and the installation directory of
// Params(); raises SilentExit 200 for help, CmdLine::Err without a directory.
void ParseInstallerOptions(CmdLine& cmdLine);

const std::string& UsageText();
