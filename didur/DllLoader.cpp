#include "DllLoader.h"

#include "ZeRizIva/Assert.h"
#include "ZeRizIva/WinErrorMessage.h"

static std::string FailureText(const std::string& call, DWORD error)
{
    return call + " failed. " + WindowsErrorText(error);
}

HMODULE DllLoader::Load(const char* name, bool allowFailure)
{
    AssertThat(!m_hDll, "!m_hDll", "didur/DllLoader", 7);
    m_hDll.reset(LoadLibraryA(name));
    if (!m_hDll && !allowFailure) {
        const DWORD error = GetLastError();
        throw Err(FailureText(std::string("LoadLibrary(") + name + ")", error));
    }
    return m_hDll.get();
}

HMODULE DllLoader::Load(bool fromSystemDirectory, const char* name, bool allowFailure)
{
    AssertThat(!m_hDll, "!m_hDll", "didur/DllLoader", 14);
    if (!fromSystemDirectory)
        return Load(name, allowFailure);
    char directory[261];
    const UINT length = GetSystemDirectoryA(directory, sizeof directory);
    if (length == 0 || length >= sizeof directory) {
        const DWORD error = GetLastError();
        if (allowFailure)
            return nullptr;
        throw Err(FailureText("GetSystemDirectory()", error));
    }
    const std::string path = std::string(directory, length) + "\\" + name;
    m_hDll.reset(LoadLibraryA(path.c_str()));
    if (!m_hDll && !allowFailure) {
        const DWORD error = GetLastError();
        throw Err(FailureText(std::string("LoadLibrary(") + name + ")", error));
    }
    return m_hDll.get();
}

FARPROC DllLoader::GetFunction(HMODULE module, const char* name)
{
    const FARPROC function = GetProcAddress(module, name);
    if (!function) {
        const DWORD error = GetLastError();
        throw Err(FailureText(std::string("GetProcAddress(") + name + ")", error));
    }
    return function;
}
