#pragma once
// Takes back the search path entry that the installation added, and nothing
// else: an entry that was there before was never recorded, and of several
// equal entries only the last, the one appended, goes. Another program's
// change to the same value or file stays.
#include <string>

#include "ItemOutcome.h"

// The directory from the PATH value of an environment key (a value left empty
// goes); the system is told that the environment changed.
ItemOutcome RemoveSearchPathEntry(const std::string& environmentKey, const std::string& directory);

// The "PATH=%PATH%;<directory>" line from C:\AUTOEXEC.BAT (95 family).
ItemOutcome RemoveAutoexecPathEntry(const std::string& directory);
