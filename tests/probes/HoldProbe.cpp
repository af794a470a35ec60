// Test program: keeps a file open without sharing, as a running program keeps
// its files, until a release file appears (or two minutes pass).
// Usage: HoldProbe <file> <release file>
// Prints "holding" once the file is open.
#include <windows.h>

#include <cstdio>

int main(int argc, char** argv)
{
    if (argc != 3)
        return 99;
    HANDLE file = CreateFileA(argv[1], GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return 98;
    std::printf("holding\n");
    std::fflush(stdout);
    for (int i = 0; i < 2400 && GetFileAttributesA(argv[2]) == INVALID_FILE_ATTRIBUTES; ++i)
        Sleep(50);
    CloseHandle(file);
    return 0;
}
