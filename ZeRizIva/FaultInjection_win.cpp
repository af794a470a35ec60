#include "FaultInjection.h"

#ifdef VELANTRIX_FAULT_INJECTION
#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <map>
#include <string>

bool InjectedFailure(const char* point)
{
    static const std::string wanted = [] {
        char buffer[256] = {};
        GetEnvironmentVariableA("VELANTRIX_FAIL_AT", buffer, sizeof buffer);
        return std::string(buffer);
    }();
    static std::map<std::string, int> passes;
    const size_t hash = wanted.find('#');
    if (wanted.compare(0, hash, point) != 0)
        return false;
    const int pass = ++passes[point];
    const bool everyPass = hash != std::string::npos && wanted.compare(hash, std::string::npos, "#*") == 0;
    const int failing = hash == std::string::npos ? 1 : std::atoi(wanted.c_str() + hash + 1);
    if (!everyPass && pass != failing)
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
