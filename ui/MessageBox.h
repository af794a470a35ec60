#pragma once
// Every message box of the installer: no owner window, the ANSI text as it is.
#include <string>

int ShowMessageBox(const std::string& text, const char* title, unsigned type);
