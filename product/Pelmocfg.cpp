// Stand-in for the settings manager: one window per page, chosen by the
// start-menu shortcuts' switches.
#include <windows.h>

#include <cstdlib>
#include <cstring>

#include "StandInWindow.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show)
{
    StandInWindow window{"Korvane Global Settings", {"Korvane global settings for the SSH client"}, 1};
    const struct {
        const char* option;
        const char* title;
        const char* line;
        int iconId;
    } pages[] = {
        {"-proxy", "Korvane Global Proxy Settings", "SOCKS and HTTP proxy settings for outgoing connections", 1},
        {"-hostkeys", "Korvane Global Host Key Management", "The SSH server host keys that you trust", 2},
        {"-keypairs", "Korvane Global Keypair Management", "Your SSH user authentication keypairs", 3},
    };
    for (int i = 1; i < __argc; ++i) {
        for (const auto& page : pages) {
            if (std::strcmp(__argv[i], page.option) == 0)
                window = {page.title, {page.line}, page.iconId};
        }
    }
    return RunStandInWindow(instance, window, show);
}
