#include "format/Converters.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <climits>
#include <cstdio>
#include <cstring>
#include <limits>
#include <string>

namespace {

const float kNaN = std::numeric_limits<float>::quiet_NaN();
const float kInf = std::numeric_limits<float>::infinity();
const float kDenorm = std::numeric_limits<float>::denorm_min();

std::string number(float value, int digits)
{
    char text[kConverterTextSize];
    float2string2(value, digits, text);
    return text;
}

TEST(Float2String2, RoundsPadsAndLimitsElseMatchesPrintf)
{
    const struct { float value; int digits; const char* text; } cases[] = {
        // Half away from zero with 0.49999 as the threshold (22.05f is 22.0499992).
        {1.2345f, 2, "1.23"}, {1.26f, 1, "1.3"}, {-3.75f, 1, "-3.8"}, {0.005f, 2, "0.01"},
        {0.0049f, 2, "0.00"}, {2.5f, 0, "3"}, {-2.5f, 0, "-3"}, {1.4999905f, 0, "2"},
        {-1.4999895f, 0, "-1"}, {22.05f, 1, "22.1"}, {0.999f, 2, "1.00"}, {0.1f, 3, "0.100"},
        // The sign is taken after rounding.
        {-0.0f, 1, "0.0"}, {-0.001f, 2, "-0.00"},
        // The integer part takes its places first; decimals get what is left.
        {1234567.0f, 3, "1234567."}, {-123456.0f, 1, "-123456."},
        {12345.678f, 3, "12345.67"}, {-1.5f, 8, "-1.50000"},
        // Digit counts are clamped to 0..8.
        {1.75f, -2, "2"}, {-1.75f, INT_MIN, "-2"}, {1.75f, INT_MAX, "1.750000"},
        // Beyond the bounds, or more integer digits than places.
        {99999999.5f, 0, "Huge!"}, {-9999999.6f, 0, "Huge!"}, {12345678.0f, 0, "Huge!"},
        {9999999.6f, 0, "Huge!"}, {-999999.6f, 0, "Huge!"}, {kInf, 0, "Huge!"},
        {-FLT_MAX, 3, "Huge!"}, {kNaN, 1, "NaN"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(number(c.value, c.digits), c.text) << c.value << " digits " << c.digits;

    // Where no rounding is needed, the text is printf's.
    char want[32];
    for (int i = -999999; i <= 9999999; i += 97) {
        // Seven-character integers fill the places and keep their point.
        if (std::snprintf(want, sizeof want, "%d", i) == 7)
            std::strcat(want, ".");
        ASSERT_EQ(number(static_cast<float>(i), 0), want);
    }
    for (int i = -7999; i <= 7999; ++i) {  // eighths have three exact decimals
        std::snprintf(want, sizeof want, "%.3f", i / 8.0);
        ASSERT_EQ(number(i / 8.0f, 3), want);
    }
}

void dB1(float gain, char* text) { dB2string2(gain, 1, text); }

TEST(Converters, UnitsRangesAndNonFiniteInput)
{
    const auto hz = frequencyStringConvert2;
    const auto ms = msStringConvert;
    const auto smp = smpStringConvert;
    const struct { void (*fn)(float, char*); float value; const char* text; } cases[] = {
        {hz, 0.15f, "0.150Hz"}, {hz, 0.5f, "0.50Hz"}, {hz, 9.96f, "10.0Hz"},
        {hz, 999.6f, "1000Hz"}, {hz, 1500.0f, "1.50kHz"}, {hz, 9999.0f, "10.00kHz"},
        {hz, 22050.0f, "22.1kHz"}, {hz, -5.0f, "-5.000Hz"}, {hz, kNaN, "NaNkHz"},
        {hz, -kInf, "Huge!Hz"},
        // 6 dB per doubling: 20 log10(10) would give 20.0.
        {dB1, 2.0f, "6.0dB"}, {dB1, 0.5f, "-6.0dB"}, {dB1, 1.0f, "0.0dB"},
        {dB1, 10.0f, "19.9dB"}, {dB1, 1.0e-9f, "-179.4dB"}, {dB1, kDenorm, "-894.0dB"},
        {dB1, -0.0f, "-oodB"}, {dB1, -kInf, "-oodB"}, {dB1, kNaN, "NaNdB"},
        {dB1, kInf, "Huge!dB"},
        // 0.0001f lies just below 0.0001, and the comparison is made in doubles.
        {ms, 0.00005f, "0ms"}, {ms, 0.0001f, "0ms"}, {ms, 0.00011f, "0.00ms"},
        {ms, 0.73f, "0.73ms"}, {ms, 2.5f, "2.5ms"}, {ms, 999.7f, "1000ms"},
        {ms, 1000.0f, "1.00s"}, {ms, kNaN, "NaNs"}, {ms, kInf, "Huge!s"},
        {smp, 0.99f, "0smps"}, {smp, -kInf, "0smps"}, {smp, 1.0f, "1smps"},
        {smp, 46.9f, "46smps"}, {smp, kNaN, "NaNsmps"},
        // The largest float below 2^31 converts; anything above clamps.
        {smp, 2147483520.0f, "2147483520smps"}, {smp, kInf, "2147483647smps"},
    };
    for (const auto& c : cases) {
        char text[kConverterTextSize];
        c.fn(c.value, text);
        EXPECT_STREQ(text, c.text) << "input " << c.value;
    }
}

TEST(Converters, NeverWritePastTheBuffer)
{
    const float values[] = {
        kNaN, kInf, -kInf, FLT_MAX, -FLT_MAX, kDenorm, -kDenorm, 0.0f, -0.0f,
        1234567.0f, -123456.0f, 1234567.9f, -1234567.0f, 9999999.5f, 99999999.0f,
        -999999.5f, 0.49999f, -0.49999f, 0.0001f, 9999.99f, 3.0e9f, 1.0e20f,
    };
    auto check = [](float v, int digits, size_t maxLength, auto fill) {
        unsigned char buffer[kConverterTextSize + 32];
        std::memset(buffer, 0xA5, sizeof buffer);
        fill(reinterpret_cast<char*>(buffer));
        ASSERT_NE(std::memchr(buffer, '\0', kConverterTextSize), nullptr) << v << " " << digits;
        EXPECT_LE(std::strlen(reinterpret_cast<char*>(buffer)), maxLength) << v << " " << digits;
        for (size_t i = kConverterTextSize; i < sizeof buffer; ++i)
            ASSERT_EQ(buffer[i], 0xA5) << v << " " << digits;
    };
    for (float v : values) {
        for (int d = -2; d <= 10; ++d) {
            check(v, d, 8, [&](char* t) { float2string2(v, d, t); });
            check(v, d, 11, [&](char* t) { dB2string2(v, d, t); });
        }
        check(v, 0, 11, [&](char* t) { frequencyStringConvert2(v, t); });
        check(v, 0, 11, [&](char* t) { msStringConvert(v, t); });
        check(v, 0, 15, [&](char* t) { smpStringConvert(v, t); });
    }
}

}  // namespace
