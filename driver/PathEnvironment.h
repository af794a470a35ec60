#pragma once
// Adds the installation directory once to the command search path: the
// machine's or the user's PATH on the NT family, C:\AUTOEXEC.BAT on the 95
// family, and records the entry it added in the uninstall record, so that the
// uninstaller removes exactly that one. Never removes or reorders anything,
// has no undo, never fails the installation. A directory whose entry would
// hold a semicolon is not added; a "Warning: " line says so.
#include <string>

void UpdatePathEnvironment(const std::string& directory, bool allUsers);

// The AUTOEXEC.BAT rule, on its text: does a PATH line in effect at the end
// list the directory (as written or as its short form)?
bool AutoexecPathHolds(const std::string& text, const std::string& directory, const std::string& shortDirectory);
