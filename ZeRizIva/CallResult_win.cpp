#include <windows.h>

#include "CallResult.h"

SystemCallResult SystemCallResult::LastError(const wchar_t* functionName)
{
    const DWORD code = GetLastError();
    return SystemCallResult(functionName, code);
}
