#include "FileSystem.h"

#include <windows.h>

#include "ZeRizIva/Text.h"
#include "ZeRizIva/UniqueHandle.h"

bool PathExists(const std::string& path)
{
    // The search finds no name that ends in a backslash, so "C:\Tools\" is looked
    // for as "C:\Tools". A drive root ("C:\" or "\") names nothing to find and
    // stays absent.
    std::string name = path;
    if (EndsWithBackslash(name) && name != "\\" && !(name.size() == 3 && name[1] == ':'))
        name.pop_back();
    WIN32_FIND_DATAA data;
    return static_cast<bool>(UniqueFind(FindFirstFileA(name.c_str(), &data)));
}

bool IsDirectory(const std::string& path)
{
    return (GetFileAttributesA(path.c_str()) & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool IsDirectoryEmpty(const std::string& path)
{
    WIN32_FIND_DATAA data;
    UniqueFind search(FindFirstFileA(PathJoin(path, "*").c_str(), &data));
    if (!search)
        return true;
    do {
        const std::string name = data.cFileName;
        if (name != "." && name != "..")
            return false;
    } while (FindNextFileA(search.get(), &data));
    return true;
}

unsigned long long FileSize(const std::string& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data))
        return 0;
    return (static_cast<unsigned long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}
