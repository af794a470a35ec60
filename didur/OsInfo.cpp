#include "OsInfo.h"

#include <windows.h>

#include <cstdio>
#include <cstring>

#include "ZeRizIva/Codepage.h"
#include "ZeRizIva/UniqueHandle.h"

OsInfo& Os()
{
    static OsInfo info;
    return info;
}

VersionTriple OsInfo::SystemVersion()
{
    if (haveSystem_)
        return system_;
    OSVERSIONINFOA info = {};
    info.dwOSVersionInfoSize = sizeof info;  // 148
    if (!GetVersionExA(&info))
        return {};
    system_ = {info.dwPlatformId, info.dwMajorVersion, info.dwMinorVersion};
    haveSystem_ = true;
    return system_;
}

int OsInfo::ServicePack()
{
    if (haveServicePack_)
        return servicePack_;
    OSVERSIONINFOEXA extended = {};
    extended.dwOSVersionInfoSize = sizeof extended;  // 156
    if (GetVersionExA(reinterpret_cast<OSVERSIONINFOA*>(&extended))) {
        servicePack_ = extended.wServicePackMajor;
        haveServicePack_ = true;
        return servicePack_;
    }
    // Systems that do not know the extended record say it in words.
    OSVERSIONINFOA info = {};
    info.dwOSVersionInfoSize = sizeof info;
    static const char kPrefix[] = "Service Pack";
    const size_t prefixLength = sizeof kPrefix - 1;
    int number = -1;
    if (GetVersionExA(&info) && CompareNoCase(std::string_view(info.szCSDVersion).substr(0, prefixLength), kPrefix) == 0 &&
        std::strlen(info.szCSDVersion) > prefixLength && std::sscanf(info.szCSDVersion + prefixLength, "%i", &number) == 1 &&
        number >= 0) {
        servicePack_ = number;
        haveServicePack_ = true;
        return servicePack_;
    }
    return -1;
}

namespace {

bool QueryBrowserValue(HKEY key, const char* name, char (&buffer)[80])
{
    DWORD size = sizeof buffer;
    DWORD type = 0;
    std::memset(buffer, 0, sizeof buffer);
    return RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size) == ERROR_SUCCESS;
}

} // namespace

VersionTriple OsInfo::BrowserVersion()
{
    if (haveBrowser_)
        return browser_;
    UniqueRegKey key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Internet Explorer", 0, KEY_QUERY_VALUE, key.put()) !=
        ERROR_SUCCESS)
        return {};
    VersionTriple version;
    char buffer[80];
    buffer[79] = '\0';
    if (QueryBrowserValue(key.get(), "Version", buffer)) {
        buffer[79] = '\0';
        unsigned a = 0, b = 0, c = 0;
        std::sscanf(buffer, "%u.%u.%u", &a, &b, &c);
        version = {a, b, c};
    } else if (QueryBrowserValue(key.get(), "IVer", buffer)) {
        buffer[79] = '\0';
        // Early releases only said which of three builds they were.
        if (std::strcmp(buffer, "101") == 0)
            version = {4, 40, 308};
        else if (std::strcmp(buffer, "102") == 0)
            version = {4, 40, 520};
        else if (std::strcmp(buffer, "103") == 0) {
            version = {4, 70, 1155};
            char build[80];
            unsigned number = 0;
            if (QueryBrowserValue(key.get(), "Build", build)) {
                build[79] = '\0';
                if (std::sscanf(build, "%u", &number) == 1)
                    version.c = number;
            }
        }
    }
    if (version.a != 0) {
        browser_ = version;
        haveBrowser_ = true;
    }
    return version;
}
