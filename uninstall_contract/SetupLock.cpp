#include "SetupLock.h"

#include <windows.h>

#include "ZeRizIva/CallResult.h"
#include "ZeRizIva/FaultInjection.h"
#include "didur/OsInfo.h"

namespace {

constexpr char kName[] = "KorvaneVelantrixSetup";

// Windows 2000 and later have one namespace per session and a global one; the
// 95 family and NT 4.0 have only one, and take no backslash in the name.
std::string LockName()
{
    const VersionTriple system = Os().SystemVersion();
    return system.a == 2 && system.b >= 5 ? std::string("Global\\") + kName : kName;
}

} // namespace

std::optional<SetupLock> SetupLock::Acquire(unsigned long seconds)
{
    const std::string name = LockName();
    HANDLE mutex = CreateMutexA(nullptr, FALSE, name.c_str());
    // A mutex another user's run made may grant us no more than waiting on it.
    if (!mutex && GetLastError() == ERROR_ACCESS_DENIED)
        mutex = OpenMutexA(SYNCHRONIZE, FALSE, name.c_str());
    if (!mutex)
        RaiseLastError(L"CreateMutex()");
    UniqueKernelHandle handle(mutex);
    switch (WaitForSingleObject(handle.get(), InjectedLimit("VELANTRIX_LOCK_WAIT_SECONDS", seconds) * 1000)) {
    case WAIT_OBJECT_0:
    case WAIT_ABANDONED:  // its holder died: the run is ours
        return SetupLock(UniqueOwnedMutex(handle.release()));
    case WAIT_TIMEOUT:
        return std::nullopt;
    default:
        RaiseLastError(L"WaitForSingleObject()");
    }
}
