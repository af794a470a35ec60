#include <gtest/gtest.h>

#include "ui/Colors.h"

namespace {

constexpr ColorRef kRed = MakeColorRef(255, 0, 0);
constexpr ColorRef kWhite = MakeColorRef(255, 255, 255);
constexpr ColorRef kGrey = MakeColorRef(128, 128, 128);

TEST(Colors, ByteConversionTruncatesWithTheSmallOffset)
{
    struct Case {
        float component;
        unsigned char byte;
        const char* why;
    } cases[] = {
        {0.0f, 0, "zero"},
        {1.0f, 255, "one"},
        {0.5f / 255.0f, 0, "an exact x.5 gives x, not x + 1"},
        {1.5f / 255.0f, 1, "1.5 gives 1"},
        {0.52f / 255.0f, 1, "just above x.51 rounds up"},
        {128.0f / 255.0f, 128, "a byte comes back unchanged"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ColorComponentToByte(c.component), c.byte) << c.why;
}

TEST(Colors, MixWeighsTheFirstColourByT)
{
    EXPECT_EQ(MixColors(kWhite, MakeColorRef(0, 0, 0), 0.6f), MakeColorRef(153, 153, 153));
    EXPECT_EQ(MixColors(kRed, MakeColorRef(0, 0, 255), 1.0f), kRed);
    EXPECT_EQ(MixColors(kRed, MakeColorRef(0, 0, 255), 0.0f), MakeColorRef(0, 0, 255));
    EXPECT_EQ(MixColors(MakeColorRef(1, 3, 5), MakeColorRef(0, 0, 0), 0.5f), MakeColorRef(0, 1, 2))
        << "halves of odd bytes are cut down";
}

TEST(Colors, ToHslFollowsTheComponentThatIsLargest)
{
    struct Case {
        ColorRef rgb;
        float hue, lightness, saturation;
        const char* why;
    } cases[] = {
        {kRed, 1.0f, 0.5f, 1.0f, "red: exactly 1 is not above 1 and stays (the same hue as 0)"},
        {MakeColorRef(0, 255, 0), 1.0f / 3, 0.5f, 1.0f, "green"},
        {MakeColorRef(0, 0, 255), 2.0f / 3, 0.5f, 1.0f, "blue"},
        {kGrey, 0.0f, 128.0f / 255, 0.0f, "grey: no hue, no saturation"},
        {MakeColorRef(0, 0, 0), 0.0f, 0.0f, 0.0f, "black"},
        {MakeColorRef(255, 128, 128), 1.0f, (1.0f + 128.0f / 255) / 2, 1.0f, "light red: the L > 0.5 branch"},
        {MakeColorRef(255, 128, 0), (6 + 128.0f / 255) / 6 - 1, 0.5f, 1.0f, "orange: above 1, less 1"},
        {MakeColorRef(255, 0, 128), (6 - 128.0f / 255) / 6, 0.5f, 1.0f, "red largest, blue above green"},
    };
    for (const Case& c : cases) {
        const HslColor hsl = ToHsl(c.rgb);
        EXPECT_NEAR(hsl.hue, c.hue, 1e-5) << c.why;
        EXPECT_NEAR(hsl.lightness, c.lightness, 1e-5) << c.why;
        EXPECT_NEAR(hsl.saturation, c.saturation, 1e-5) << c.why;
    }
}

TEST(Colors, ToRgbInvertsToHsl)
{
    for (ColorRef rgb : {kRed, kWhite, kGrey, MakeColorRef(12, 200, 99), MakeColorRef(240, 240, 240),
                         MakeColorRef(255, 0, 128), MakeColorRef(10, 20, 30)})
        EXPECT_EQ(ToRgb(ToHsl(rgb)), rgb) << std::hex << rgb;
}

TEST(Colors, AdjustingMovesTowardsOneOrScalesDown)
{
    const HslColor hsl{0.25f, 0.4f, 0.5f};
    EXPECT_FLOAT_EQ(AdjustSaturation(hsl, 0.5f).saturation, 0.75f) << "half the way to 1";
    EXPECT_FLOAT_EQ(AdjustSaturation(hsl, -0.66f).saturation, 0.5f * 0.34f) << "34 % of the value is left";
    EXPECT_FLOAT_EQ(AdjustLightness(hsl, 0.5f).lightness, 0.7f);
    EXPECT_FLOAT_EQ(AdjustLightness(hsl, -0.5f).lightness, 0.2f);
    EXPECT_FLOAT_EQ(AdjustLightness(hsl, -0.5f).saturation, 0.5f) << "only the one value changes";
}

TEST(Colors, TheLicenceBackgroundRecipe)
{
    // Window white, face light grey: a grey stays grey; a tinted face loses most of its tint.
    const ColorRef grey = ToRgb(AdjustSaturation(ToHsl(MixColors(kWhite, MakeColorRef(240, 240, 240), 0.6f)), -0.66f));
    EXPECT_EQ(grey, MakeColorRef(249, 249, 249));
    const HslColor tinted = ToHsl(MixColors(kWhite, MakeColorRef(200, 220, 255), 0.6f));
    const HslColor muted = ToHsl(ToRgb(AdjustSaturation(tinted, -0.66f)));
    EXPECT_LT(muted.saturation, tinted.saturation * 0.4f) << "about a third is left, up to byte rounding";
    EXPECT_NEAR(muted.lightness, tinted.lightness, 0.01f);
}

} // namespace
