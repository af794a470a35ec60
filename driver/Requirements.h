#pragma once
// The gate before anything changes: the operating system and the browser
// component must be recent enough, or the user (or -force) must allow going on.

// Returns when the installation may go on; otherwise raises SilentExit 130.
void CheckSystemRequirements();

