#include "RandomNumber.h"

#include <windows.h>

#include "didur/DllLoader.h"
#include "ZeRizIva/Text.h"

std::uint32_t RandomNumber()
{
    // RtlGenRandom, exported by name from advapi32 ("SystemFunction036").
    try {
        DllLoader advapi;
        advapi.Load(true, "advapi32.dll");
        using GenRandomFn = BOOLEAN(WINAPI*)(PVOID, ULONG);
        const auto genRandom = advapi.Function<GenRandomFn>("SystemFunction036");
        std::uint32_t value = 0;
        if (genRandom(&value, sizeof value))
            return value;
    } catch (const std::exception&) {
    }
    // Systems without it: the clock and counters are what there is.
    LARGE_INTEGER counter = {};
    QueryPerformanceCounter(&counter);
    return static_cast<std::uint32_t>(counter.QuadPart) ^ (GetTickCount() << 16) ^ GetCurrentProcessId();
}

std::string RandomNamePart()
{
    const std::uint32_t high = RandomNumber();
    const std::uint32_t low = RandomNumber();
    return HexDigits(high, 8) + HexDigits(low, 8);
}
