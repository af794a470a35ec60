#include "LibraryLoading.h"

#include <windows.h>

void RestrictLibraryLoadingToSystemDirectory()
{
    const HMODULE kernel = GetModuleHandleA("kernel32.dll");
    using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
    const auto setDefaultDllDirectories = reinterpret_cast<SetDefaultDllDirectoriesFn>(
        reinterpret_cast<void*>(GetProcAddress(kernel, "SetDefaultDllDirectories")));
    if (setDefaultDllDirectories)
        setDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
    // Systems before that still drop the current directory from the search.
    using SetDllDirectoryFn = BOOL(WINAPI*)(LPCSTR);
    const auto setDllDirectory =
        reinterpret_cast<SetDllDirectoryFn>(reinterpret_cast<void*>(GetProcAddress(kernel, "SetDllDirectoryA")));
    if (setDllDirectory)
        setDllDirectory("");
}
