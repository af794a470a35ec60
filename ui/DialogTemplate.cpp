#include "DialogTemplate.h"

#include <cstring>

#include "ZeRizIva/Assert.h"

namespace {

constexpr size_t kStyleOffset = 0;
constexpr size_t kTitleOffset = 22; // after the 18-byte header, the menu and the class words

void PutWord(unsigned char* at, std::uint16_t value)
{
    at[0] = static_cast<unsigned char>(value);
    at[1] = static_cast<unsigned char>(value >> 8);
}

void PutDword(unsigned char* at, std::uint32_t value)
{
    PutWord(at, static_cast<std::uint16_t>(value));
    PutWord(at + 2, static_cast<std::uint16_t>(value >> 16));
}

std::uint32_t GetDword(const unsigned char* at)
{
    return at[0] | (at[1] << 8) | (at[2] << 16) | (static_cast<std::uint32_t>(at[3]) << 24);
}

// The offset just past the zero-terminated UTF-16 string at offset.
size_t SkipString(const datavect& bytes, size_t offset)
{
    const unsigned char* p = bytes.data();
    while (offset + 1 < bytes.size() && (p[offset] || p[offset + 1]))
        offset += 2;
    AssertThat(offset + 1 < bytes.size(), "terminated string", "ui/DialogTemplate", __LINE__);
    return offset + 2;
}

// Replaces [first, last) with a gap of length bytes and returns the gap's
// start, or null when growing failed (the template records the failure).
unsigned char* OpenGap(datavect& bytes, size_t first, size_t last, size_t length)
{
    bytes.erase(first, last - first);
    const size_t tail = bytes.size() - first;
    if (!bytes.resize(bytes.size() + length))
        return nullptr;
    unsigned char* gap = bytes.data() + first;
    std::memmove(gap + length, gap, tail);
    return gap;
}

// Writes text and its zero terminator as little-endian UTF-16.
void PutString(unsigned char* at, std::u16string_view text)
{
    for (char16_t c : text) {
        PutWord(at, c);
        at += 2;
    }
    PutWord(at, 0);
}

size_t StringSize(std::u16string_view text) { return (text.size() + 1) * 2; }

} // namespace

datavect MakeDialogTemplate(std::uint32_t style, std::uint32_t exStyle, std::int16_t x, std::int16_t y,
                            std::int16_t cx, std::int16_t cy, std::uint16_t itemCount)
{
    datavect bytes;
    // Header, menu, class and an empty title: all zero but the header fields.
    if (!bytes.resize(kTitleOffset + 2, 0))
        return bytes;
    unsigned char* p = bytes.data();
    PutDword(p + kStyleOffset, style & ~kDialogSetFontStyle);
    PutDword(p + 4, exStyle);
    PutWord(p + 8, itemCount);
    PutWord(p + 10, static_cast<std::uint16_t>(x));
    PutWord(p + 12, static_cast<std::uint16_t>(y));
    PutWord(p + 14, static_cast<std::uint16_t>(cx));
    PutWord(p + 16, static_cast<std::uint16_t>(cy));
    return bytes;
}

bool SetDialogTitle(datavect& dialogTemplate, std::u16string_view title)
{
    const size_t end = SkipString(dialogTemplate, kTitleOffset);
    unsigned char* gap = OpenGap(dialogTemplate, kTitleOffset, end, StringSize(title));
    if (!gap)
        return false;
    PutString(gap, title);
    return true;
}

bool SetDialogFont(datavect& dialogTemplate, std::uint16_t pointSize, std::u16string_view faceName)
{
    const size_t fontOffset = SkipString(dialogTemplate, kTitleOffset);
    const std::uint32_t style = GetDword(dialogTemplate.data() + kStyleOffset);
    size_t fontEnd = fontOffset;
    if (style & kDialogSetFontStyle)
        fontEnd = SkipString(dialogTemplate, fontOffset + 2);
    unsigned char* gap = OpenGap(dialogTemplate, fontOffset, fontEnd, 2 + StringSize(faceName));
    if (!gap)
        return false;
    PutWord(gap, pointSize);
    PutString(gap + 2, faceName);
    PutDword(dialogTemplate.data() + kStyleOffset, style | kDialogSetFontStyle);
    return true;
}
