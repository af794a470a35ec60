#pragma once
// Named failure points in the system calls of the install steps, for the test
// build only (VELANTRIX_FAULT_INJECTION). The environment variable
// VELANTRIX_FAIL_AT=<point>[#<n>] makes the n-th pass of that point (the first
// by default; "#*" every pass) fail as the system call would, with
// ERROR_ACCESS_DENIED as the last error. In the shipped build every point is a constant false.

#ifdef VELANTRIX_FAULT_INJECTION
bool InjectedFailure(const char* point);
#else
constexpr bool InjectedFailure(const char*) { return false; }
#endif
