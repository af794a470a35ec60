#pragma once
#include "RunChoices.h"

// Makes the install steps in their fixed order, adds the directory to the
// search path, tells the shell, and commits. Anything that fails before the
// commit leaves as an exception, and the steps made so far are undone, newest
// first. True when some file replaces one still in use only when Windows
// restarts.
bool InstallProduct(const RunChoices& choices);
