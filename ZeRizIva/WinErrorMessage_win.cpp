#include <windows.h>

#include <string>

#include "Assert.h"

bool SystemErrorText(unsigned long code, std::string& text)
{
    // Looked up at run time, as the system's own texts may be missing.
    using FormatMessageFn = DWORD(WINAPI*)(DWORD, LPCVOID, DWORD, DWORD, LPSTR, DWORD, va_list*);
    const auto formatMessage = reinterpret_cast<FormatMessageFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "FormatMessageA")));
    if (!formatMessage)
        Assert("formatMessage", "ZeRizIva/WinErrorMessage", 148);

    char* buffer = nullptr;
    const DWORD length = formatMessage(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_FROM_SYSTEM, nullptr, code,
        MAKELANGID(LANG_NEUTRAL, SUBLANG_SYS_DEFAULT), reinterpret_cast<LPSTR>(&buffer), 0, nullptr);
    if (length == 0)
        return false;
    struct FreeBuffer {
        char* buffer;
        ~FreeBuffer()
        {
            const DWORD lastError = GetLastError();
            LocalFree(buffer);
            SetLastError(lastError);
        }
    } freeBuffer{buffer};
    text.assign(buffer, length);
    return true;
}
