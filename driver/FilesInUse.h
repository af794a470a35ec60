#pragma once
// Files of an earlier installation that a running program holds. Its
// uninstaller could only leave them to the next restart, and the new
// installation could not replace them: an upgrade over them would leave the
// user with less than they had, so it is found out before anything goes.
#include <string>
#include <vector>

// The files listed in an uninstall parameter string ("-delFile=",
// "-delMainFile=") that exist and cannot be opened for writing because
// another program keeps them open or runs them. A string that does not parse
// lists none (its uninstaller reports that).
std::vector<std::string> FilesInUse(const std::string& uninstallParams);

// The programs holding a file, as the Restart Manager names them ("Korvane
// Velantrix 4.10 (process 1234)", comma-separated); empty before Windows Vista
// or when it cannot tell.
std::string ProgramsHolding(const std::string& path);
