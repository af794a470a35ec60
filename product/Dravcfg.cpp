// Stand-in for the server product's settings program. The package carries two
// builds of it, one per platform family; DRAVCFG_WIN9X selects the 98/Me one.
#include <windows.h>

#include <cstdlib>

#include "StandInWindow.h"

#ifdef DRAVCFG_WIN9X
#define DRAVCFG_FAMILY "Windows 98/Me"
#else
#define DRAVCFG_FAMILY "Windows NT/2000/XP"
#endif

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show)
{
    StandInWindow window{"Dravelo Settings", {"Dravelo server settings", "Build for " DRAVCFG_FAMILY}, 1};
    if (__argc > 1)
        window.lines.push_back(std::string("Settings file: ") + __argv[1]);
    return RunStandInWindow(instance, window, show);
}
