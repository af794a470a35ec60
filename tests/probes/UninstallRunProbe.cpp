// Test program: runs an uninstaller the way the installer's upgrade path does,
// through the installer's own RunUninstallerAndWait (the result section, the
// event, " -unat -result= -done=" appended), and prints "result N".
// Usage: UninstallRunProbe <command line>
#include <cstdio>
#include <cstdlib>

#include "ZeRizIva/Exceptions.h"
#include "driver/ExistingInstallation.h"

int main(int argc, char** argv)
{
    if (argc != 2)
        return 99;
    try {
        std::printf("result %lu\n", RunUninstallerAndWait(argv[1]));
    } catch (const std::exception& error) {
        std::printf("error %s\n", error.what());
    }
    std::fflush(stdout);
    return 0;
}
