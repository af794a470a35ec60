#include "MessageBox.h"

#include <windows.h>

int ShowMessageBox(const std::string& text, const char* title, unsigned type)
{
    return MessageBoxA(nullptr, text.c_str(), title, type);
}
