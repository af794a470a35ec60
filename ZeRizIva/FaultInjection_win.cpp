#include "FaultInjection.h"

#ifdef VELANTRIX_FAULT_INJECTION
#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>

namespace {

std::string Environment(const char* name)
{
    char buffer[256] = {};
    const DWORD length = GetEnvironmentVariableA(name, buffer, sizeof buffer);
    return length < sizeof buffer ? std::string(buffer, length) : std::string();
}

// Whether "<point>[#<n>|#*]" names this pass of the point.
bool NamesOne(const std::string& wanted, const char* point, int pass)
{
    const size_t hash = wanted.find('#');
    if (wanted.empty() || wanted.compare(0, hash, point) != 0)
        return false;
    if (hash != std::string::npos && wanted.compare(hash, std::string::npos, "#*") == 0)
        return true;
    return pass == (hash == std::string::npos ? 1 : std::atoi(wanted.c_str() + hash + 1));
}

// The same for a comma-separated list of such.
bool Names(const std::string& list, const char* point, int pass)
{
    for (size_t start = 0; start <= list.size();) {
        const size_t comma = std::min(list.find(',', start), list.size());
        if (NamesOne(list.substr(start, comma - start), point, pass))
            return true;
        start = comma + 1;
    }
    return false;
}

} // namespace

bool InjectedFailure(const char* point)
{
    static const std::string failAt = Environment("VELANTRIX_FAIL_AT");
    static const std::string killAt = Environment("VELANTRIX_KILL_AT");
    static std::map<std::string, int> passes;
    const int pass = ++passes[point];
    // As a kill from outside ends a run: nothing is undone, nothing more is said.
    if (Names(killAt, point, pass))
        TerminateProcess(GetCurrentProcess(), kKilledExitCode);
    if (!Names(failAt, point, pass))
        return false;
    SetLastError(ERROR_ACCESS_DENIED);
    return true;
}

unsigned long InjectedLimit(const char* name, unsigned long shipped)
{
    char buffer[32] = {};
    const DWORD length = GetEnvironmentVariableA(name, buffer, sizeof buffer);
    if (length == 0 || length >= sizeof buffer)
        return shipped;
    const unsigned long wanted = std::strtoul(buffer, nullptr, 10);
    return wanted < shipped ? wanted : shipped;  // only ever shorter
}
#endif
