// Stand-in for the SSH client's main program: shows the product's window, the
// profile it was asked to open, and what its core library says of itself.
#include <windows.h>

#include <cstdlib>
#include <cstring>

#include "StandInWindow.h"
#include "VxCore.h"

namespace {

std::string CoreDescription()
{
    // By full path: only the core library installed beside the program.
    HMODULE core = LoadLibraryA((OwnFolder() + "vxcore.dll").c_str());
    if (!core)
        return "Core library vxcore.dll not found";
    auto describe = reinterpret_cast<VxCoreDescriptionFunction>(
        reinterpret_cast<void*>(GetProcAddress(core, "VxCoreDescription")));
    std::string text = describe ? describe() : "Core library vxcore.dll is not the right one";
    FreeLibrary(core);
    return text;
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show)
{
    std::string profile = "No profile opened";
    bool connect = false;
    for (int i = 1; i < __argc; ++i) {
        if (std::strncmp(__argv[i], "-profile=", 9) == 0)
            profile = std::string("Profile: ") + (__argv[i] + 9);
        else if (std::strcmp(__argv[i], "-connectOnStartup") == 0)
            connect = true;
    }
    StandInWindow window{"Korvane Velantrix 4.10", {"Korvane Velantrix 4.10 - SSH client", profile}, 1};
    window.lines.push_back(CoreDescription());
    if (connect)
        window.lines.push_back("Connecting on start-up");
    return RunStandInWindow(instance, window, show);
}
