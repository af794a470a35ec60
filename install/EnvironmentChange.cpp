#include "EnvironmentChange.h"

#include <windows.h>

void AnnounceEnvironmentChange()
{
    // Bounded: a program that hangs must not hold up the run.
    DWORD_PTR result;
    SendMessageTimeoutA(HWND_BROADCAST, WM_SETTINGCHANGE, 0, reinterpret_cast<LPARAM>("Environment"), SMTO_NORMAL,
                        2000, &result);
}
