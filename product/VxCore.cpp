// Stand-in for the client's core library.
#include <windows.h>

extern "C" __declspec(dllexport) const char* __stdcall VxCoreDescription()
{
    return "Core library 4.10: SSH2 transport, SFTP, tunnels";
}

BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) { return TRUE; }
