#pragma once
// Named failure points in the system calls of the install steps, for the test
// build only (VELANTRIX_FAULT_INJECTION). The environment variable
// VELANTRIX_FAIL_AT=<point>[#<n>] makes the n-th pass of that point (the first
// by default; "#*" every pass) fail as the system call would, with
// ERROR_ACCESS_DENIED as the last error; several, separated by commas, fail
// each. VELANTRIX_KILL_AT, in the same form, instead ends the process at that
// pass, before the call, with exit code kKilledExitCode: a run killed from
// outside at that moment. In the shipped build every point is a constant false.
//
// Named limits, also for the test build only: the environment variable of the
// limit's name, set to a number below the shipped value, lowers the limit to
// it, so that a case need not wait out the real one. The shipped build uses
// the shipped value and reads nothing.
//   VELANTRIX_UNINSTALLER_WAIT_SECONDS  how long an earlier uninstaller's copy
//                                       may take to report its result
//   VELANTRIX_LOCK_WAIT_SECONDS         how long a run waits for another
//                                       installation or removal to end

#ifdef VELANTRIX_FAULT_INJECTION
inline constexpr unsigned kKilledExitCode = 99;
bool InjectedFailure(const char* point);
unsigned long InjectedLimit(const char* name, unsigned long shipped);
#else
constexpr bool InjectedFailure(const char*) { return false; }
constexpr unsigned long InjectedLimit(const char*, unsigned long shipped) { return shipped; }
#endif
