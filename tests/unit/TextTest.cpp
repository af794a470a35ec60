#include "ZeRizIva/Text.h"

#include <gtest/gtest.h>

namespace {

struct JoinCase {
    const char* directory;
    const char* name;
    const char* joined;
    const char* why;
};

class PathJoinTable : public testing::TestWithParam<JoinCase> {};

TEST_P(PathJoinTable, Joins)
{
    const JoinCase& c = GetParam();
    EXPECT_EQ(PathJoin(c.directory, c.name), c.joined) << c.why;
}

INSTANTIATE_TEST_SUITE_P(Table, PathJoinTable,
                         testing::Values(JoinCase{"C:\\D", "f.exe", "C:\\D\\f.exe", "neither supplies a backslash"},
                                         JoinCase{"C:\\D\\", "f.exe", "C:\\D\\f.exe", "the directory supplies it"},
                                         JoinCase{"C:\\D", "\\f.exe", "C:\\D\\f.exe", "the name supplies it"},
                                         JoinCase{"C:\\D\\", "\\f.exe", "C:\\D\\f.exe", "both: one is dropped"},
                                         JoinCase{"", "f.exe", "f.exe", "empty directory"},
                                         JoinCase{"C:\\D", "", "C:\\D", "empty name"},
                                         JoinCase{"C:\\", "x", "C:\\x", "a drive root"}));

TEST(VersionTexts, CompareAsByteStrings)
{
    EXPECT_LT(CompareVersionTexts("4.06", "4.07"), 0);
    EXPECT_LT(CompareVersionTexts("10.0", "4.07"), 0) << "as text, 1 sorts before 4";
    EXPECT_GT(CompareVersionTexts("4.9", "4.10"), 0) << "as text, 9 sorts after 1";
    EXPECT_EQ(CompareVersionTexts("4.10", "4.10"), 0);
    EXPECT_LT(CompareVersionTexts("4.1", "4.10"), 0) << "a proper prefix is smaller";
    EXPECT_GT(CompareVersionTexts("4.\xE9", "4.1"), 0) << "bytes compare unsigned";
}

// The forms printf gave before ("%llx", "%08x", "%08lx"; std::to_wstring).
TEST(NumberTexts, AsPrintfWroteThem)
{
    EXPECT_EQ(HexDigits(0), "0");
    EXPECT_EQ(HexDigits(0x1c4), "1c4");
    EXPECT_EQ(HexDigits(0xFFFFFFFFFFFFFFFFull), "ffffffffffffffff");
    EXPECT_EQ(HexDigits(0, 8), "00000000");
    EXPECT_EQ(HexDigits(0xABC, 8), "00000abc");
    EXPECT_EQ(HexDigits(0x80070005, 8), "80070005");
    EXPECT_EQ(HexDigits(0x123456789ull, 8), "123456789") << "wider than the minimum: all digits";
    EXPECT_EQ(WideDecimal(0), L"0");
    EXPECT_EQ(WideDecimal(4294967295ll), L"4294967295");
    EXPECT_EQ(WideDecimal(-2147024891ll), L"-2147024891");
}

} // namespace
