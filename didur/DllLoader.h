#pragma once
// Libraries and functions the installer must not import statically, so that it
// starts on every supported Windows version and takes system libraries from
// the system directory.
#include <windows.h>

#include <string>

#include "ZeRizIva/Exceptions.h"

class DllLoader {
public:
    class Err : public AException {
    public:
        using AException::AException;
    };

    DllLoader() = default;
    DllLoader(const DllLoader&) = delete;
    DllLoader& operator=(const DllLoader&) = delete;
    ~DllLoader() { Free(); }

    // Null (and no exception) only when failure is allowed.
    HMODULE Load(const char* name, bool allowFailure = false);
    HMODULE Load(bool fromSystemDirectory, const char* name, bool allowFailure = false);
    void Free();
    HMODULE Handle() const { return m_hDll; }

    // Raises Err when the library does not export the name.
    static FARPROC GetFunction(HMODULE module, const char* name);

    template <typename Fn>
    Fn Function(const char* name) const
    {
        return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetFunction(m_hDll, name)));
    }

private:
    HMODULE m_hDll = nullptr;
};
