// Test-only DLL, built as riched20.dll and copied under the names of other
// system libraries, planted beside a copy of the installer or where the
// uninstaller's copy runs: loading it leaves a file beside it, which the test
// looks for.
#include <windows.h>

#include <cstring>

BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH) {
        char path[MAX_PATH + 32] = {};
        const DWORD length = GetModuleFileNameA(module, path, MAX_PATH);
        char* slash = std::strrchr(path, '\\');
        if (length && slash) {
            std::strcpy(slash + 1, "planted-dll-loaded.txt");
            HANDLE trace = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
            if (trace != INVALID_HANDLE_VALUE)
                CloseHandle(trace);
        }
    }
    return TRUE;
}
