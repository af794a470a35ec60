#include "FileSystem.h"

#include <windows.h>

#include "ZeRizIva/Text.h"
#include "ZeRizIva/UniqueHandle.h"

bool PathExists(const std::string& path)
{
    WIN32_FIND_DATAA data;
    return static_cast<bool>(UniqueFind(FindFirstFileA(path.c_str(), &data)));
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
