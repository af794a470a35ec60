#pragma once
// Fatal assertion for broken internal invariants: reports in a message box and
// ends the asserting thread with exit code 0x8805. No destructors run.

[[noreturn]] void Assert(const char* expression, const char* sourceFile, unsigned line);

// Checks an invariant at a fixed source location (the file and line the report names).
inline void AssertThat(bool condition, const char* expression, const char* sourceFile, unsigned line)
{
    if (!condition)
        Assert(expression, sourceFile, line);
}

// Tests replace the report with a handler of their own (which must not return).
using AssertHandler = void (*)(const char* expression, const char* sourceFile, unsigned line);
AssertHandler SetAssertHandler(AssertHandler handler);

constexpr unsigned long kAssertExitCode = 0x8805;
