#include "Text.h"

#include "Codepage.h"

std::string HexDigits(unsigned long long value, unsigned minimumDigits)
{
    std::string digits;
    do {
        digits.insert(digits.begin(), "0123456789abcdef"[value & 0xF]);
        value >>= 4;
    } while (value != 0);
    if (digits.size() < minimumDigits)
        digits.insert(0, minimumDigits - digits.size(), '0');
    return digits;
}

std::wstring WideDecimal(long long value)
{
    const std::string digits = std::to_string(value);
    return std::wstring(digits.begin(), digits.end());
}

bool EndsWithBackslash(std::string_view text)
{
    if (text.empty() || text.back() != '\\')
        return false;
    // Walk the characters from the start: only that tells lead from trail bytes.
    size_t i = 0;
    size_t lastStart = 0;
    while (i < text.size()) {
        lastStart = i;
        i += (IsAnsiLeadByte(static_cast<unsigned char>(text[i])) && i + 1 < text.size()) ? 2 : 1;
    }
    return lastStart == text.size() - 1;
}

std::string PathJoin(std::string_view directory, std::string_view name)
{
    std::string result(directory);
    if (directory.empty() || name.empty()) {
        result += name;
        return result;
    }
    const bool dirEnds = EndsWithBackslash(directory);
    const bool nameBegins = name.front() == '\\';
    if (dirEnds && nameBegins)
        result += name.substr(1);
    else if (dirEnds || nameBegins)
        result += name;
    else {
        result += '\\';
        result += name;
    }
    return result;
}

int CompareVersionTexts(std::string_view a, std::string_view b)
{
    const int c = a.compare(b);
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

std::vector<std::string> Split(const std::string& text, char separator)
{
    std::vector<std::string> items;
    size_t start = 0;
    for (;;) {
        const size_t end = text.find(separator, start);
        items.push_back(text.substr(start, end - start));
        if (end == std::string::npos)
            return items;
        start = end + 1;
    }
}
