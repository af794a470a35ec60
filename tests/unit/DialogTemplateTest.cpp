#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "ui/DialogTemplate.h"
#include "ui/StreamFormat.h"

namespace {

std::uint32_t Dword(const datavect& v, size_t at)
{
    return v[at] | (v[at + 1] << 8) | (v[at + 2] << 16) | (static_cast<std::uint32_t>(v[at + 3]) << 24);
}

unsigned Word(const datavect& v, size_t at) { return v[at] | (v[at + 1] << 8); }

// The UTF-16 bytes of an ASCII text and its terminator.
std::string Utf16(const std::string& text)
{
    std::string bytes;
    for (char c : text)
        bytes += {c, '\0'};
    return bytes + std::string(2, '\0');
}

std::string Tail(const datavect& v, size_t from) { return std::string(reinterpret_cast<const char*>(v.data()) + from, v.size() - from); }

TEST(DialogTemplate, HeaderFieldsMenuClassAndEmptyTitle)
{
    const datavect t = MakeDialogTemplate(0x90CC0240, 0x80, 3, -4, 190, 170, 2);
    ASSERT_EQ(t.size(), 24u);
    EXPECT_EQ(Dword(t, 0), 0x90CC0200u) << "DS_SETFONT is cleared: no font yet";
    EXPECT_EQ(Dword(t, 4), 0x80u);
    EXPECT_EQ(Word(t, 8), 2u);
    EXPECT_EQ(Word(t, 10), 3u);
    EXPECT_EQ(Word(t, 12), 0xFFFCu);
    EXPECT_EQ(Word(t, 14), 190u);
    EXPECT_EQ(Word(t, 16), 170u);
    EXPECT_EQ(Tail(t, 18), std::string(6, '\0')) << "no menu, the standard class, empty title";
}

TEST(DialogTemplate, TitleAndFontRewriteTheTrailingArrays)
{
    datavect t = MakeDialogTemplate(0x90CC0200, 0x80, 0, 0, 190, 190, 0);
    ASSERT_TRUE(SetDialogFont(t, 8, u"MS Shell Dlg"));
    EXPECT_EQ(Dword(t, 0), 0x90CC0240u) << "DS_SETFONT set with the font";
    ASSERT_TRUE(SetDialogTitle(t, u"Package Contents"));
    EXPECT_EQ(Tail(t, 22), Utf16("Package Contents") + "\x08" + std::string(1, '\0') + Utf16("MS Shell Dlg"));

    ASSERT_TRUE(SetDialogTitle(t, u"T"));
    ASSERT_TRUE(SetDialogFont(t, 10, u"Tahoma"));
    EXPECT_EQ(Tail(t, 22), Utf16("T") + "\x0a" + std::string(1, '\0') + Utf16("Tahoma"))
        << "a second title and font replace the first";
    EXPECT_EQ(Dword(t, 0), 0x90CC0240u);
}

TEST(StreamFormat, RichTextPrefixAndDetection)
{
    struct Case {
        const char* text;
        int format;
        const char* streamed;
        bool rich;
        const char* why;
    } cases[] = {
        {"{\\r abc}", kStreamDetect, "{\\rtf abc}", true, "the short prefix becomes {\\rtf and is rich text"},
        {"{\\r abc}", kStreamRichText, "{\\rtf abc}", true, "rich text asked for: the prefix is mended too"},
        {"{\\r abc}", kStreamPlainText, "{\\r abc}", false, "plain text is left alone"},
        {"{\\rtf1 x}", kStreamDetect, "{\\rtf1 x}", true, "rich text detected"},
        {"plain", kStreamDetect, "plain", false, "plain text detected"},
        {"{\\rt x}", kStreamDetect, "{\\rt x}", false, "no full prefix: plain"},
        {"", kStreamDetect, "", false, "empty"},
    };
    for (const Case& c : cases) {
        const StreamText prepared = PrepareStreamText(c.text, c.format);
        EXPECT_EQ(prepared.text, c.streamed) << c.why;
        EXPECT_EQ(prepared.richText, c.rich) << c.why;
    }
}

} // namespace
