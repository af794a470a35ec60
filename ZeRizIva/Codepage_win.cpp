#include "Codepage.h"

#include <windows.h>
#include <mbstring.h>
#include <cwchar>
#include <cstring>

unsigned AnsiCodePage() { return GetACP(); }

std::wstring AnsiToWide(std::string_view text, unsigned codePage)
{
    if (text.empty())
        return {};
    const int size = static_cast<int>(text.size());
    const int needed = MultiByteToWideChar(codePage, 0, text.data(), size, nullptr, 0);
    std::wstring result(needed > 0 ? needed : 0, L'\0');
    if (needed > 0)
        MultiByteToWideChar(codePage, 0, text.data(), size, result.data(), needed);
    return result;
}

std::string WideToAnsi(std::wstring_view text, unsigned codePage)
{
    if (text.empty())
        return {};
    const int size = static_cast<int>(text.size());
    const int needed = WideCharToMultiByte(codePage, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
    std::string result(needed > 0 ? needed : 0, '\0');
    if (needed > 0)
        WideCharToMultiByte(codePage, 0, text.data(), size, result.data(), needed, nullptr, nullptr);
    return result;
}

std::string AnsiToConsole(std::string_view text)
{
    const UINT consoleCp = GetConsoleCP();
    if (consoleCp == 0 || consoleCp == GetACP())
        return std::string(text);
    return WideToAnsi(AnsiToWide(text), consoleCp);
}

bool IsAnsiLeadByte(unsigned char byte) { return IsDBCSLeadByte(byte) != FALSE; }

// The runtime functions need zero-terminated texts.
int CompareNoCase(std::wstring_view a, std::wstring_view b)
{
    return _wcsicmp(std::wstring(a).c_str(), std::wstring(b).c_str());
}

int CompareNoCase(std::string_view a, std::string_view b)
{
    return _stricmp(std::string(a).c_str(), std::string(b).c_str());
}

int CompareNoCaseMultibyte(std::string_view a, std::string_view b)
{
    const std::string za(a), zb(b);
    return _mbsicmp(reinterpret_cast<const unsigned char*>(za.c_str()),
                    reinterpret_cast<const unsigned char*>(zb.c_str()));
}
