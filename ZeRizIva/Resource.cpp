#include "Resource.h"

#include <windows.h>

#include <string>

#include "ZeRizIva/Exceptions.h"
#include "ZeRizIva/WinErrorMessage.h"

[[noreturn]] static void Raise(const char* call)
{
    const DWORD error = GetLastError();
    throw InstallError(std::string(call) + " failed: " + WindowsErrorText(error));
}

ResourceBytes LoadOwnResource(int id, const char* type)
{
    HRSRC found = FindResourceA(nullptr, MAKEINTRESOURCEA(id), type);
    if (!found)
        Raise("FindResourceA()");
    HGLOBAL loaded = LoadResource(nullptr, found);
    if (!loaded)
        Raise("LoadResource()");
    const void* data = LockResource(loaded);
    if (!data)
        Raise("LockResource()");
    const DWORD size = SizeofResource(nullptr, found);
    if (size == 0)
        Raise("SizeofResource()");
    return {static_cast<const unsigned char*>(data), size};
}
