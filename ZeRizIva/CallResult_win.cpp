#include <windows.h>

#include "CallResult.h"
#include "Exceptions.h"

SystemCallResult SystemCallResult::LastError(const wchar_t* functionName)
{
    const DWORD code = GetLastError();
    return SystemCallResult(functionName, code);
}

void RaiseLastError(const wchar_t* functionName)
{
    throw InstallError(SystemCallResult::LastError(functionName).WindowsFailureText());
}
