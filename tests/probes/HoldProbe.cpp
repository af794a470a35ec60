// Test program: keeps a file open without sharing, as a running program keeps
// its files, or holds the installer's machine-wide lock, as a running
// installation does, until a release file appears (or two minutes pass).
// Usage: HoldProbe <file> <release file> | HoldProbe -lock <release file>
// Prints "holding" once the file is open or the lock is held.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <optional>

#include "uninstall_contract/SetupLock.h"

int main(int argc, char** argv)
{
    if (argc != 3)
        return 99;
    const bool lock = !std::strcmp(argv[1], "-lock");
    std::optional<SetupLock> held;
    UniqueFile file;
    if (lock)
        held = SetupLock::Acquire(0);
    else
        file.reset(CreateFileA(argv[1], GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    if (lock ? !held : !file)
        return 98;
    std::printf("holding\n");
    std::fflush(stdout);
    for (int i = 0; i < 2400 && GetFileAttributesA(argv[2]) == INVALID_FILE_ATTRIBUTES; ++i)
        Sleep(50);
    return 0;
}
