#pragma once
// Colour arithmetic in the HSL model. Colours are COLORREF values (0x00BBGGRR);
// the arithmetic is done in floats, each component the byte divided by 255.
#include <cstdint>

using ColorRef = std::uint32_t;

struct HslColor {
    float hue;
    float lightness;
    float saturation;
};

constexpr ColorRef MakeColorRef(unsigned red, unsigned green, unsigned blue)
{
    return (red & 0xFF) | ((green & 0xFF) << 8) | ((blue & 0xFF) << 16);
}

// A float component in [0, 1] back to a byte: truncate(c * 255 + 0.49), so an
// exact x.5 becomes x.
unsigned char ColorComponentToByte(float component);

// t * a + (1 - t) * b per component.
ColorRef MixColors(ColorRef a, ColorRef b, float t);

HslColor ToHsl(ColorRef color);
ColorRef ToRgb(const HslColor& color);

// f > 0 moves the value towards 1 by that fraction of the distance; f <= 0
// scales it by 1 + f.
HslColor AdjustSaturation(HslColor color, float f);
HslColor AdjustLightness(HslColor color, float f);
