#include "ZeRizIva/MultiString.h"

#include <gtest/gtest.h>

namespace {

using Strings = std::vector<std::string>;

struct ParseCase {
    std::string data;
    unsigned long code;
    Strings strings;
    const char* why;
};

class MultiStringParse : public testing::TestWithParam<ParseCase> {};

TEST_P(MultiStringParse, Parses)
{
    const ParseCase& c = GetParam();
    Strings result{"stale"};
    EXPECT_EQ(ParseMultiString(reinterpret_cast<const unsigned char*>(c.data.data()), c.data.size(), result), c.code)
        << c.why;
    EXPECT_EQ(result, c.strings) << c.why;
}

INSTANTIATE_TEST_SUITE_P(
    Table, MultiStringParse,
    testing::Values(ParseCase{std::string("a\0b\0\0", 5), 0, {"a", "b"}, "two strings and the final zero"},
                    ParseCase{std::string("a\0b\0", 4), 0, {"a", "b"}, "the final zero missing"},
                    ParseCase{std::string("\0\0", 2), 0, {""}, "two zero bytes are one empty string"},
                    ParseCase{std::string("\0", 1), 0, {}, "one zero byte is an empty list"},
                    ParseCase{std::string(), 0, {}, "no data is an empty list"},
                    ParseCase{std::string("ab", 2), 13, {}, "no terminating zero"},
                    ParseCase{std::string("a\0\0b\0\0", 6), 0, {"a", "", "b"}, "an empty string inside"},
                    ParseCase{std::string("\\??\\C:\\x\0\0\0", 11), 0, {"\\??\\C:\\x", ""},
                              "a deletion pair: source and empty destination"}));

TEST(MultiStringFormat, WritesEachStringAndAFinalZero)
{
    EXPECT_EQ(FormatMultiString({"a", "b"}), std::string("a\0b\0\0", 5));
    EXPECT_EQ(FormatMultiString({}), std::string("\0\0", 2)) << "an empty list is two zero bytes";
    EXPECT_EQ(FormatMultiString({"x", ""}), std::string("x\0\0\0", 4));
}

} // namespace
