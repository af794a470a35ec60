#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>

#include "AssertCapture.h"
#include "ZeRizIva/NoCrtString.h"
#include "ZeRizIva/NoCrtVector.h"
#include "ZeRizIva/datavect.h"

namespace {

std::string Bytes(datavect& v) { return std::string(reinterpret_cast<const char*>(v.data()), v.size()); }

// Expects the call to end in the fatal assertion at the given place.
template <typename Fn>
void ExpectAssertion(Fn fn, const char* expression, const char* file, unsigned line)
{
    AssertCapture capture;
    try {
        fn();
        ADD_FAILURE() << "no assertion for " << expression;
    } catch (const AssertionFired& fired) {
        EXPECT_EQ(fired.expression, expression);
        EXPECT_EQ(fired.sourceFile, file);
        EXPECT_EQ(fired.line, line);
    }
}

constexpr size_t kImpossible = SIZE_MAX / 2;

TEST(datavect, GrowsToExactlyTheSizeAsked)
{
    datavect v;
    ASSERT_TRUE(v.resize(3, 'x'));
    EXPECT_EQ(v.capacity(), 3u);
    ASSERT_TRUE(v.insert(v.begin() + 1, "ab", "ab" + 2));
    EXPECT_EQ(Bytes(v), "xabxx");
    EXPECT_EQ(v.capacity(), 5u);
    v.erase(v.begin() + 1, v.begin() + 3);
    EXPECT_EQ(Bytes(v), "xxx");
    v.erase(1, datavect::npos);
    EXPECT_EQ(Bytes(v), "x");
    datavect copy(v);
    EXPECT_EQ(copy.capacity(), 1u) << "a copy's capacity is the source's size";
}

TEST(datavect, InsertingFromItselfKeepsTheSource)
{
    datavect v("abc", 3);
    ASSERT_TRUE(v.insert(v.begin(), v.begin(), v.end()));
    EXPECT_EQ(Bytes(v), "abcabc");
}

TEST(datavect, ErasingAtTheEnd)
{
    datavect v("abc", 3);
    v.erase(3, datavect::npos);
    EXPECT_EQ(Bytes(v), "abc") << "pos = size with count -1 removes nothing";
    ExpectAssertion([&] { v.erase(4, datavect::npos); }, "pos <= s_", "ZeRizIva/datavect", 309);
    ExpectAssertion([&] { v.erase(1, 3); }, "pos + count <= s_", "ZeRizIva/datavect", 312);
}

TEST(datavect, AllocationFailureIsRecordedAndAssertsOnNextUse)
{
    datavect v("abc", 3);
    EXPECT_FALSE(v.resize(kImpossible));
    EXPECT_EQ(v.allocationFailure(), kImpossible);
    EXPECT_EQ(v.capacity(), 3u) << "the contents stay as they were";

    // Table: each use after the failure and the place it asserts at.
    struct Use {
        std::function<void()> call;
        const char* expression;
        unsigned line;
    } uses[] = {
        {[&] { v.reserve(1); }, "!af_", 93},
        {[&] { v.resize(1); }, "!af_", 117},
        {[&] { v.assign("x", 1); }, "!af_", 191},
        {[&] { v.front(); }, "!af_ && s_", 223},
        {[&] { v.insert(nullptr, "x", "x"); }, "!af_", 248},
        {[&] { v.erase(nullptr, nullptr); }, "!af_", 288},
        {[&] { v.erase(0, 1); }, "!af_", 308},
        {[&] { v.data(); }, "!af_", 324},
        {[&] { v.end(); }, "!af_", 330},
        {[&] { v.size(); }, "!af_", 332},
        {[&] { v.empty(); }, "!af_", 333},
        {[&] { std::as_const(v)[0]; }, "!af_ && i<s_", 338},
        {[&] { v[0] = 1; }, "!af_ && i<s_", 341},
    };
    for (auto& use : uses)
        ExpectAssertion(use.call, use.expression, "ZeRizIva/datavect", use.line);

    EXPECT_TRUE(v.resize(0)) << "resizing to 0 clears the failure";
    EXPECT_EQ(v.allocationFailure(), 0u);
    EXPECT_TRUE(v.empty());
}

TEST(datavect, BoundsAreChecked)
{
    datavect v("abc", 3);
    unsigned char outside[1];
    ExpectAssertion([&] { v.insert(outside, "x", "x" + 1); }, "(where >= p_) && (where <= p_ + s_)",
                    "ZeRizIva/datavect", 249);
    ExpectAssertion([&] { v.insert(v.begin(), "x" + 1, "x"); }, "count >= 0", "ZeRizIva/datavect", 252);
    ExpectAssertion([&] { v.erase(v.end() + 1, v.end() + 1); }, "(p1 >= p_) && (p1 <= p_ + s_)",
                    "ZeRizIva/datavect", 289);
    ExpectAssertion([&] { v.erase(v.begin() + 2, v.begin() + 1); }, "(p2 >= p1) && (p2 <= p_ + s_)",
                    "ZeRizIva/datavect", 290);
    ExpectAssertion([&] { v[3]; }, "!af_ && i<s_", "ZeRizIva/datavect", 341);
}

TEST(NoCrtVector, ChecksItsAccessors)
{
    NoCrtVector<std::uint32_t> v;
    ExpectAssertion([&] { v.front(); }, "!af_ && size()", "ZeRizIva/NoCrtVector", 206);
    ASSERT_TRUE(v.push_back(7));
    ASSERT_TRUE(v.push_back(9));
    EXPECT_EQ(v.size(), 2u);
    EXPECT_EQ(v[1], 9u);
    EXPECT_FALSE(v.resize(kImpossible));
    ExpectAssertion([&] { v.push_back(1); }, "!af_", "ZeRizIva/NoCrtVector", 217);
}

TEST(NoCrtString, Appends)
{
    NoCrtString s("ab");
    EXPECT_TRUE(s.append(nullptr));
    EXPECT_TRUE(s.append("cdef", 2));
    EXPECT_STREQ(s.c_str(), "abcd");
    EXPECT_EQ(s.length(), 4u);

    NoCrtString t;
    EXPECT_EQ(t.length(), 0u) << "an empty string may have size 0";
    EXPECT_TRUE(t.append(s, 1, 2));
    EXPECT_STREQ(t.c_str(), "bc");
    EXPECT_TRUE(t.append(s, 4)) << "from an offset equal to the length: nothing";
    EXPECT_STREQ(t.c_str(), "bc");
    EXPECT_TRUE(t.append(t, 0)) << "from itself";
    EXPECT_STREQ(t.c_str(), "bcbc");
    EXPECT_TRUE(t.append(s, 2, 0));
    EXPECT_STREQ(t.c_str(), "bcbc");
}

TEST(NoCrtString, ChecksOffsetsAndIndexes)
{
    NoCrtString s("abcd");
    NoCrtString t;
    ExpectAssertion([&] { t.append(s, 5); }, "off <= str.size()", "ZeRizIva/NoCrtString", 32);
    ExpectAssertion([&] { t.append(s, 2, 4); }, "off + extend <= str.size() + 1", "ZeRizIva/NoCrtString", 35);
    ExpectAssertion([&] { std::as_const(s)[4]; }, "!af_ && i<length()", "ZeRizIva/NoCrtString.h", 134);
    ExpectAssertion([&] { s[4] = 'x'; }, "!af_ && i<length()", "ZeRizIva/NoCrtString.h", 138);
    s[0] = 'A';
    EXPECT_STREQ(s.c_str(), "Abcd");
}

} // namespace
