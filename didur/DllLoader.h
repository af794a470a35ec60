#pragma once
// Libraries and functions the installer must not import statically, so that it
// starts on every supported Windows version and takes system libraries from
// the system directory.
#include <windows.h>

#include <string>

#include "ZeRizIva/Exceptions.h"
#include "ZeRizIva/UniqueHandle.h"

class DllLoader {
public:
    class Err : public AException {
    public:
        using AException::AException;
    };

    // Null (and no exception) only when failure is allowed.
    HMODULE Load(const char* name, bool allowFailure = false);
    HMODULE Load(bool fromSystemDirectory, const char* name, bool allowFailure = false);
    void Free() { m_hDll.reset(); }
    HMODULE Handle() const { return m_hDll.get(); }

    // Raises Err when the library does not export the name.
    static FARPROC GetFunction(HMODULE module, const char* name);

    template <typename Fn>
    Fn Function(const char* name) const
    {
        return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetFunction(m_hDll.get(), name)));
    }

private:
    UniqueLibrary m_hDll;
};
