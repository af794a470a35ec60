#pragma once
// The one window every stand-in program shows: a title, its first icon, and a
// few lines of text. Closes with the window or the Escape key.
#include <windows.h>

#include <string>
#include <vector>

struct StandInWindow {
    std::string title;
    std::vector<std::string> lines;
    int iconId = 1;
};

// Runs the window's message loop; returns the exit code.
int RunStandInWindow(HINSTANCE instance, const StandInWindow& window, int show);

// The folder of the running program, with a final backslash.
std::string OwnFolder();
