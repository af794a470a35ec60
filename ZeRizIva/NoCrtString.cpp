#include "NoCrtString.h"

#include <cstring>

size_t NoCrtString::length() const
{
    const size_t bytes = bytes_.size();
    return bytes ? bytes - 1 : 0;
}

const char* NoCrtString::c_str() const
{
    return bytes_.size() ? reinterpret_cast<const char*>(bytes_.data()) : "";
}

// Appends before the terminating zero, growing to exactly old + count + 1 bytes.
bool NoCrtString::AppendBytes(const char* text, size_t count)
{
    const size_t old = length();
    if (!bytes_.reserve(old + count + 1))
        return false;
    bytes_.resize(old + count + 1);
    if (count)
        std::memmove(bytes_.data() + old, text, count);
    bytes_[old + count] = 0;
    return true;
}

bool NoCrtString::append(const char* text, size_t count)
{
    AssertThat(!af(), "!af_", "ZeRizIva/NoCrtString", 16);
    if (!text)
        count = 0;
    else if (count == npos)
        count = std::strlen(text);
    return AppendBytes(text, count);
}

bool NoCrtString::append(const NoCrtString& str, size_t off, size_t extend)
{
    AssertThat(!af() && !str.af(), "!af_ && !str.af_", "ZeRizIva/NoCrtString", 31);
    AssertThat(off <= str.size(), "off <= str.size()", "ZeRizIva/NoCrtString", 32);
    if (extend == npos)
        extend = str.size() - off;
    AssertThat(off + extend <= str.size() + 1, "off + extend <= str.size() + 1", "ZeRizIva/NoCrtString", 35);
    if (extend == 0)
        return true;
    // The source may be this string: copy its bytes before growing.
    datavect part(str.c_str() + off, extend);
    if (part.allocationFailure())
        return false;
    return AppendBytes(reinterpret_cast<const char*>(part.data()), extend);
}
