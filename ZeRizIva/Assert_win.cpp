#include <windows.h>

void ReportAssertion(const char* expression, const char* sourceFile, unsigned line)
{
    char module[101] = {};
    GetModuleFileNameA(nullptr, module, 100);
    char text[1024];
    wsprintfA(text,
              "Assertion failed in module '%s', PID %u, source file '%s', line %u:\r\n%s\r\n"
              "The asserting thread will be terminated.",
              module, static_cast<unsigned>(GetCurrentProcessId()), sourceFile, line, expression);
    MessageBoxA(nullptr, text, "Assertion failed", MB_ICONERROR);
    ExitThread(0x8805);
}
