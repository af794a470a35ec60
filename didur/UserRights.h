#pragma once
// The rights the process runs with.

// True when the current user's token holds the local Administrators group
// (always on the 95 family, which has no such thing); the given default when
// the probe fails in any way.
bool IsUserAdmin(bool defaultAnswer);
