#include "Colors.h"

#include <algorithm>

namespace {

struct RgbFloats {
    float r, g, b;
};

RgbFloats ToFloats(ColorRef color)
{
    return {static_cast<float>(color & 0xFF) / 255.0f, static_cast<float>((color >> 8) & 0xFF) / 255.0f,
            static_cast<float>((color >> 16) & 0xFF) / 255.0f};
}

ColorRef FromFloats(const RgbFloats& rgb)
{
    return MakeColorRef(ColorComponentToByte(rgb.r), ColorComponentToByte(rgb.g), ColorComponentToByte(rgb.b));
}

float Adjusted(float value, float f)
{
    return f > 0 ? value + f * (1.0f - value) : value + f * value;
}

float HueToComponent(float p, float q, float t)
{
    if (t < 0)
        t += 1.0f;
    if (t > 1)
        t -= 1.0f;
    if (t < 1.0f / 6.0f)
        return p + (q - p) * 6.0f * t;
    if (t < 0.5f)
        return q;
    if (t < 2.0f / 3.0f)
        return p + (q - p) * (2.0f / 3.0f - t) * 6.0f;
    return p;
}

} // namespace

unsigned char ColorComponentToByte(float component)
{
    const float scaled = component * 255.0f + 0.49f;
    // Out-of-range input cannot come from the HSL arithmetic, but a byte must not wrap.
    return static_cast<unsigned char>(std::clamp(static_cast<int>(scaled), 0, 255));
}

ColorRef MixColors(ColorRef a, ColorRef b, float t)
{
    const RgbFloats x = ToFloats(a), y = ToFloats(b);
    return FromFloats({t * x.r + (1 - t) * y.r, t * x.g + (1 - t) * y.g, t * x.b + (1 - t) * y.b});
}

HslColor ToHsl(ColorRef color)
{
    const RgbFloats c = ToFloats(color);
    const float high = std::max({c.r, c.g, c.b});
    const float low = std::min({c.r, c.g, c.b});
    HslColor hsl{0, (high + low) / 2, 0};
    const float delta = high - low;
    if (delta == 0 || high + low == 0)
        return hsl;
    hsl.saturation = hsl.lightness > 0.5f ? delta / (2 - high - low) : delta / (high + low);
    if (high == c.r)
        hsl.hue = (6 + (c.g - c.b) / delta) / 6;
    else if (high == c.g)
        hsl.hue = (2 + (c.b - c.r) / delta) / 6;
    else
        hsl.hue = (4 + (c.r - c.g) / delta) / 6;
    if (hsl.hue > 1)
        hsl.hue -= 1;
    return hsl;
}

ColorRef ToRgb(const HslColor& color)
{
    const float l = color.lightness, s = color.saturation;
    if (s == 0)
        return FromFloats({l, l, l});
    const float q = l <= 0.5f ? l * (1 + s) : l + s - l * s;
    const float p = 2 * l - q;
    return FromFloats({HueToComponent(p, q, color.hue + 1.0f / 3.0f), HueToComponent(p, q, color.hue),
                       HueToComponent(p, q, color.hue - 1.0f / 3.0f)});
}

HslColor AdjustSaturation(HslColor color, float f)
{
    color.saturation = Adjusted(color.saturation, f);
    return color;
}

HslColor AdjustLightness(HslColor color, float f)
{
    color.lightness = Adjusted(color.lightness, f);
    return color;
}
