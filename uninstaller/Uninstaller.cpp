// Placeholder for the product's uninstaller, which the installer carries as
// resource 149 and writes as uninst.exe. It removes nothing yet. Run by an
// installer (" -unat" among its arguments) it answers at once with result 0,
// "removed"; run by a person it says what it is.
#include <windows.h>

#include <cstdlib>
#include <cstring>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    for (int i = 1; i < __argc; ++i) {
        if (std::strcmp(__argv[i], "-unat") == 0)
            return 0;
    }
    MessageBoxA(nullptr,
                "Korvane Velantrix 4.10 uninstaller\n\nThis is a placeholder build: it removes nothing.",
                "Uninstall Velantrix", MB_OK | MB_ICONINFORMATION);
    return 0;
}
