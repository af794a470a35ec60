// Test program: shows where a library loaded by name comes from, with and
// without the installer's start-up restriction of library loading.
// Usage: LibraryLoadProbe [-restricted] <library name>
#include <windows.h>

#include <cstdio>
#include <cstring>

#include "didur/LibraryLoading.h"

int main(int argc, char** argv)
{
    int name = 1;
    if (argc > 2 && !std::strcmp(argv[1], "-restricted")) {
        RestrictLibraryLoadingToSystemDirectory();
        ++name;
    }
    if (argc <= name)
        return 1;
    HMODULE library = LoadLibraryA(argv[name]);
    char path[MAX_PATH] = "not loaded";
    if (library)
        GetModuleFileNameA(library, path, MAX_PATH);
    std::printf("%s\n", path);
    return 0;
}
