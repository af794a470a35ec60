#pragma once
// A narrow string on datavect: the characters and one zero byte. Allocation
// failures are recorded, not thrown; the next use asserts.
#include <cstddef>

#include "Assert.h"
#include "datavect.h"

class NoCrtString {
public:
    NoCrtString() = default;
    explicit NoCrtString(const char* text) { append(text); }

    // length npos: up to the first zero byte; a null text counts as empty.
    bool append(const char* text, size_t length = npos);
    // Part of another string from off; length npos: up to its end.
    bool append(const NoCrtString& str, size_t off, size_t length = npos);

    size_t length() const;
    size_t size() const { return length(); }
    const char* c_str() const;

    char operator[](size_t i) const
    {
        AssertThat(!af() && i < length(), "!af_ && i<length()", "ZeRizIva/NoCrtString.h", 134);
        return static_cast<char>(bytes_[i]);
    }
    char& operator[](size_t i)
    {
        AssertThat(!af() && i < length(), "!af_ && i<length()", "ZeRizIva/NoCrtString.h", 138);
        return reinterpret_cast<char&>(bytes_[i]);
    }

    size_t allocationFailure() const { return af(); }
    static constexpr size_t npos = static_cast<size_t>(-1);

private:
    size_t af() const { return bytes_.allocationFailure(); }
    bool AppendBytes(const char* text, size_t count);

    datavect bytes_;
};
