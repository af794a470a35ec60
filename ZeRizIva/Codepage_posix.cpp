// Native stand-in: the ANSI code page is taken as Latin-1, so every byte maps to
// one character and back. Only the host tools and native tests use this.
#include "Codepage.h"

#include <cwctype>
#include <cctype>

unsigned AnsiCodePage() { return 1252; }

std::wstring AnsiToWide(std::string_view text, unsigned)
{
    std::wstring result;
    result.reserve(text.size());
    for (unsigned char c : text)
        result.push_back(static_cast<wchar_t>(c));
    return result;
}

std::string WideToAnsi(std::wstring_view text, unsigned)
{
    std::string result;
    result.reserve(text.size());
    for (wchar_t c : text)
        result.push_back(c <= 0xFF ? static_cast<char>(c) : '?');
    return result;
}

std::string AnsiToConsole(std::string_view text) { return std::string(text); }

bool IsAnsiLeadByte(unsigned char) { return false; }

template <typename Char, typename Lower>
static int CompareFolded(std::basic_string_view<Char> a, std::basic_string_view<Char> b, Lower lower)
{
    const size_t n = a.size() < b.size() ? a.size() : b.size();
    for (size_t i = 0; i < n; ++i) {
        const long ca = lower(a[i]), cb = lower(b[i]);
        if (ca != cb)
            return ca < cb ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

int CompareNoCase(std::wstring_view a, std::wstring_view b)
{
    return CompareFolded(a, b, [](wchar_t c) { return static_cast<long>(std::towlower(c)); });
}

int CompareNoCase(std::string_view a, std::string_view b)
{
    return CompareFolded(a, b, [](char c) { return static_cast<long>(std::tolower(static_cast<unsigned char>(c))); });
}

int CompareNoCaseMultibyte(std::string_view a, std::string_view b) { return CompareNoCase(a, b); }
