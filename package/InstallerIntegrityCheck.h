#pragma once
// The installer's check of its own file, before it does anything else.

// Returns when the executable's stamped digest matches; otherwise tells the
// user (three lines, and a box in interactive mode) and raises SilentExit 90.
// A file that cannot be read raises ConsistencyErr.
void CheckInstallerIntegrity(bool interactive);
