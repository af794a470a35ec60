#pragma once
// A code with the name it has in the sources, for lines that show both.
#include <cstddef>

struct NamedCode {
    int code;
    const char* name;
};

template <std::size_t N>
const char* NameOf(int code, const NamedCode (&names)[N])
{
    for (const NamedCode& named : names)
        if (named.code == code)
            return named.name;
    return "unknown";
}
