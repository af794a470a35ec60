#pragma once
// The run's log file (-log=FILE) of the installer and the uninstaller alike: a
// header, then every line the run writes on the console and every message box
// with its answer, each line with its local time to the millisecond, and a
// closing line with the exit code. Lines are appended, never truncated, in the
// ANSI code page as the console lines are, and written through to the disk at
// once, so that a run that dies still leaves its log up to its last line.
#include <string>

// Opens the file and writes the header (program: "installer", "uninstaller");
// from then on the console's lines go there too. The reason when the file
// cannot be opened for writing (nothing is written then); empty when it is.
std::string OpenRunLog(const std::string& path, const char* program, bool interactive);

// The closing line, "Exit code <code> (<name>)"; nothing without a log.
void CloseRunLog(int exitCode, const char* name);
