#include "UserRights.h"

#include <windows.h>

#include "DllLoader.h"
#include "OsInfo.h"
#include "ZeRizIva/AllocationFailure.h"
#include "ZeRizIva/CallResult.h"
#include "ZeRizIva/Exceptions.h"
#include "ZeRizIva/FaultInjection.h"
#include "ZeRizIva/UniqueHandle.h"

namespace {

// The token functions are taken by name: they are not there on every system.
struct SecurityFunctions {
    explicit SecurityFunctions(const DllLoader& advapi)
        : allocateSid(advapi.Function<decltype(&AllocateAndInitializeSid)>("AllocateAndInitializeSid")),
          isValidSid(advapi.Function<decltype(&IsValidSid)>("IsValidSid")),
          openProcessToken(advapi.Function<decltype(&OpenProcessToken)>("OpenProcessToken")),
          getTokenInformation(advapi.Function<decltype(&GetTokenInformation)>("GetTokenInformation")),
          equalSid(advapi.Function<decltype(&EqualSid)>("EqualSid"))
    {
    }
    decltype(&AllocateAndInitializeSid) allocateSid;
    decltype(&IsValidSid) isValidSid;
    decltype(&OpenProcessToken) openProcessToken;
    decltype(&GetTokenInformation) getTokenInformation;
    decltype(&EqualSid) equalSid;
};

bool TokenHoldsAdministrators()
{
    DllLoader advapi;
    try {
        advapi.Load(true, "Advapi32.dll");
    } catch (const DllLoader::Err& error) {
        throw InstallError(error.what());
    }
    if (Os().Platform() != VER_PLATFORM_WIN32_NT)
        return true;
    const SecurityFunctions api(advapi);

    SID_IDENTIFIER_AUTHORITY ntAuthority = SECURITY_NT_AUTHORITY;
    PSID allocated = nullptr;
    if (!api.allocateSid(&ntAuthority, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0, 0, 0,
                         &allocated))
        RaiseLastError(L"AllocateAndInitializeSid()");
    const UniqueSid administrators(allocated);
    if (!administrators)
        throw InstallError("AllocateAndInitializeSid() failed: NULL SID returned.");
    if (!api.isValidSid(administrators.get()))
        throw InstallError("AllocateAndInitializeSid() failed: Invalid SID returned.");

    UniqueKernelHandle token;
    if (!api.openProcessToken(GetCurrentProcess(), TOKEN_QUERY, token.put()))
        RaiseLastError(L"OpenProcessToken()");
    DWORD size = 0;
    if (!api.getTokenInformation(token.get(), TokenGroups, nullptr, 0, &size) &&
        GetLastError() != ERROR_INSUFFICIENT_BUFFER)
        RaiseLastError(L"GetTokenInformation()");
    UniqueGlobalMemory buffer(GlobalAlloc(GMEM_ZEROINIT, size));
    if (!buffer)
        throw BadAllocation();
    auto* groups = static_cast<TOKEN_GROUPS*>(static_cast<void*>(buffer.get()));
    if (!api.getTokenInformation(token.get(), TokenGroups, groups, size, &size))
        RaiseLastError(L"GetTokenInformation()");
    // A group marked for deny only counts as well: the attributes are not read.
    for (DWORD i = 0; i < groups->GroupCount; ++i) {
        PSID sid = groups->Groups[i].Sid;
        if (sid && api.isValidSid(sid) && !InjectedFailure("EqualSid") && api.equalSid(sid, administrators.get()))
            return true;
    }
    return false;
}

} // namespace

bool IsUserAdmin(bool defaultAnswer)
{
    try {
        return TokenHoldsAdministrators();
    } catch (const std::exception&) {
        return defaultAnswer;
    }
}
