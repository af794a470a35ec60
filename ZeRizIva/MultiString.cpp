#include "MultiString.h"

#include <cstring>

unsigned long ParseMultiString(const unsigned char* data, size_t size, std::vector<std::string>& result)
{
    result.clear();
    if (size == 0)
        return 0;
    if (data[size - 1] != 0)
        return 13;
    if (size == 1)
        return 0;
    // A final double zero ends the list; a single one only ends the last string.
    const size_t effective = data[size - 2] == 0 ? size - 1 : size;
    for (size_t offset = 0; offset < effective;) {
        const char* text = reinterpret_cast<const char*>(data + offset);
        const size_t length = strnlen(text, size - offset);
        result.emplace_back(text, length);
        offset += length + 1;
    }
    return 0;
}

std::string FormatMultiString(const std::vector<std::string>& list)
{
    std::string data;
    for (const std::string& text : list) {
        data += text;
        data += '\0';
    }
    data += '\0';
    if (list.empty())
        data += '\0';
    return data;
}
