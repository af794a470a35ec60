// Test program: reads shell links back through the shell's own objects.
// Usage: LinkProbe <link path>...
// Prints per link: "target|arguments|working directory|description|icon path|icon index".
#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

#include <cstdio>
#include <string>

int main(int argc, char** argv)
{
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    int status = 0;
    for (int i = 1; i < argc; ++i) {
        IShellLinkA* link = nullptr;
        IPersistFile* file = nullptr;
        wchar_t wide[MAX_PATH];
        MultiByteToWideChar(CP_ACP, 0, argv[i], -1, wide, MAX_PATH);
        if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                    reinterpret_cast<void**>(&link))) ||
            FAILED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file))) ||
            FAILED(file->Load(wide, STGM_READ))) {
            std::printf("cannot read %s\n", argv[i]);
            status = 2;
        } else {
            char target[MAX_PATH] = {}, arguments[1024] = {}, directory[MAX_PATH] = {}, description[1024] = {},
                 icon[MAX_PATH] = {};
            int index = -1;
            link->GetPath(target, sizeof target, nullptr, SLGP_RAWPATH);
            link->GetArguments(arguments, sizeof arguments);
            link->GetWorkingDirectory(directory, sizeof directory);
            link->GetDescription(description, sizeof description);
            link->GetIconLocation(icon, sizeof icon, &index);
            std::printf("%s|%s|%s|%s|%s|%d\n", target, arguments, directory, description, icon, index);
        }
        if (file)
            file->Release();
        if (link)
            link->Release();
    }
    CoUninitialize();
    return status;
}
