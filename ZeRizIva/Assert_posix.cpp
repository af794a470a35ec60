#include <cstdio>
#include <cstdlib>

void ReportAssertion(const char* expression, const char* sourceFile, unsigned line)
{
    std::fprintf(stderr, "Assertion failed, source file '%s', line %u:\n%s\n", sourceFile, line, expression);
    std::abort();
}
