// An 8-bit RGBA colour and the named colours controls use.
#pragma once

#include <cstdint>

struct CColor {
    uint8_t red = 0;
    uint8_t green = 0;
    uint8_t blue = 0;
    uint8_t alpha = 255;

    constexpr CColor() = default;
    constexpr CColor(uint8_t red, uint8_t green, uint8_t blue, uint8_t alpha = 255)
        : red(red), green(green), blue(blue), alpha(alpha)
    {
    }

    bool operator==(const CColor& c) const
    {
        return red == c.red && green == c.green && blue == c.blue && alpha == c.alpha;
    }
    bool operator!=(const CColor& c) const { return !(*this == c); }
};

inline constexpr CColor kTransparentCColor(255, 255, 255, 0);
inline constexpr CColor kBlackCColor(0, 0, 0, 255);
inline constexpr CColor kWhiteCColor(255, 255, 255, 255);
inline constexpr CColor kGreyCColor(127, 127, 127, 255);
inline constexpr CColor kLiteGreyCColor(215, 215, 215, 255);
