#pragma once
// The shell's folder browser.
#include <windows.h>

#include <string>

// Opens the browser on the folder initial; true and the chosen folder's path
// when the user picked one that has a file-system path. Nothing happens when
// the shell allocator cannot be had.
bool BrowseForFolder(HWND owner, const char* title, const std::string& initial, std::string& chosen);
