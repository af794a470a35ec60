#include "Assert.h"

#include <cstdlib>

// The platform's report; defined per platform.
[[noreturn]] void ReportAssertion(const char* expression, const char* sourceFile, unsigned line);

static AssertHandler g_handler = nullptr;

AssertHandler SetAssertHandler(AssertHandler handler)
{
    const AssertHandler previous = g_handler;
    g_handler = handler;
    return previous;
}

void Assert(const char* expression, const char* sourceFile, unsigned line)
{
    if (g_handler)
        g_handler(expression, sourceFile, line);
    ReportAssertion(expression, sourceFile, line);
}
