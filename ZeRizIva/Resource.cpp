#include "Resource.h"

#include <windows.h>

#include "ZeRizIva/CallResult.h"

ResourceBytes LoadOwnResource(int id, const char* type)
{
    HRSRC found = FindResourceA(nullptr, MAKEINTRESOURCEA(id), type);
    if (!found)
        RaiseLastError(L"FindResourceA()");
    HGLOBAL loaded = LoadResource(nullptr, found);
    if (!loaded)
        RaiseLastError(L"LoadResource()");
    const void* data = LockResource(loaded);
    if (!data)
        RaiseLastError(L"LockResource()");
    const DWORD size = SizeofResource(nullptr, found);
    if (size == 0)
        RaiseLastError(L"SizeofResource()");
    return {static_cast<const unsigned char*>(data), size};
}
