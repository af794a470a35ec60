// Test program: runs a real fault or failure inside the installer's own
// top-level handler, with a destructor on the way that stands for a rollback.
// Usage: FaultProbe [-i] av|div|assert|badalloc|install-error|unknown
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "install/InstallParams.h"
#include "driver/TopLevel.h"
#include "ZeRizIva/AllocationFailure.h"
#include "ZeRizIva/Assert.h"
#include "ZeRizIva/Console.h"
#include "ZeRizIva/Exceptions.h"
#include "ZeRizIva/StructuredException.h"

namespace {

struct ProbeStep {
    ~ProbeStep() { WriteLine("Rollback: probe step"); }
};

__attribute__((noinline)) int WriteThrough(volatile int* target)
{
    ProbeStep step;
    *target = 1;
    return 0;
}

__attribute__((noinline)) int Divide(int zero)
{
    ProbeStep step;
    volatile int divisor = zero;
    volatile int dividend = 10;
    return dividend / divisor;
}

int Body(const char* what)
{
    ProbeStep step;
    if (!std::strcmp(what, "av"))
        return WriteThrough(nullptr);
    if (!std::strcmp(what, "div"))
        return Divide(0);
    if (!std::strcmp(what, "assert"))
        Assert("probe expression", "probe/FaultProbe", 42);
    if (!std::strcmp(what, "badalloc")) {
        volatile size_t huge = static_cast<size_t>(-1) / 4;
        std::string s(huge, 'x');
        return static_cast<int>(s.size());
    }
    if (!std::strcmp(what, "install-error"))
        throw InstallError("probe failure");
    if (!std::strcmp(what, "unknown"))
        throw 42;
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    InstallAllocationFailureHandler();
    InstallStructuredExceptionTranslator();
    int first = 1;
    if (argc > 1 && !std::strcmp(argv[1], "-i")) {
        Params().interactive = true;
        ++first;
    }
    const char* what = argc > first ? argv[first] : "";
    return RunWithTopLevelHandler([what] { return Body(what); });
}
