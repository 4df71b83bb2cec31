// Value-to-text converters. All arithmetic is in doubles unless a float
// conversion is written out; the float steps are deliberate, because they fix
// which way borderline values round on screen.
#include "format/Converters.h"

#include <climits>
#include <cmath>
#include <cstdio>

namespace {

constexpr int kLocalTextSize = 32;
constexpr int kPlaces = 8;       // characters of a number, sign and point included
constexpr int kMaxDigits = 8;    // more decimals than places can never show
constexpr double kRoundThreshold = 0.49999;
constexpr double kMaxPositive = 99999999.0;
constexpr double kMaxNegative = 9999999.0;

// Copies `src` into the caller's buffer, never touching more than
// kConverterTextSize bytes of it.
void copyText(const char* src, char* text)
{
    int i = 0;
    for (; i < kConverterTextSize - 1 && src[i] != '\0'; ++i)
        text[i] = src[i];
    text[i] = '\0';
}

// Formats `value` and appends `unit`, bounded to the caller's buffer.
void numberWithUnit(float value, int digits, const char* unit, char* text)
{
    char local[kLocalTextSize];
    float2string2(value, digits, local);
    int n = 0;
    while (local[n] != '\0')
        ++n;
    for (int i = 0; unit[i] != '\0' && n < kLocalTextSize - 1; ++i)
        local[n++] = unit[i];
    local[n] = '\0';
    copyText(local, text);
}

// Digit 0..9 of a finite, non-negative double: the truncated value of x mod 10.
char digitOf(double x)
{
    return static_cast<char>('0' + static_cast<int>(std::fmod(x, 10.0)));
}

}  // namespace

void float2string2(float value, int digits, char* text)
{
    // NaN would survive every range test below and reach integer conversions.
    if (std::isnan(value)) {
        copyText("NaN", text);
        return;
    }
    if (digits < 0)
        digits = 0;
    if (digits > kMaxDigits)
        digits = kMaxDigits;

    // Move the value one unit of the last kept decimal outward when the part
    // beyond it is about half or more; the cut at the end then drops the rest,
    // which together rounds half away from zero. std::trunc keeps huge values
    // and infinities out of integer conversions.
    double v = value;
    const double x = v * std::pow(10.0, digits);
    const double f = x - std::trunc(x);
    if (f >= kRoundThreshold)
        v = (x + 1.0) * std::pow(0.1, digits);
    else if (f <= -kRoundThreshold)
        v = (x - 1.0) * std::pow(0.1, digits);

    bool negative = false;
    if (v < 0.0) {
        negative = true;
        v = -v;
        if (v > kMaxNegative) {
            copyText("Huge!", text);
            return;
        }
    } else if (v > kMaxPositive) {
        copyText("Huge!", text);
        return;
    }

    // Integer digits, last one first. The point and the sign take a place
    // each; the first digit is always written.
    int used = negative ? 2 : 1;
    char intDigits[kPlaces];
    int numInt = 0;
    double integer = std::floor(v);
    intDigits[numInt++] = digitOf(integer);
    integer /= 10.0;
    ++used;
    while (integer >= 1.0 && used < kPlaces) {
        intDigits[numInt++] = digitOf(integer);
        integer /= 10.0;
        ++used;
    }
    // Leading digits that found no place would leave a wrong number on screen.
    if (integer >= 1.0) {
        copyText("Huge!", text);
        return;
    }

    char local[kLocalTextSize];
    int n = 0;
    if (negative)
        local[n++] = '-';
    while (numInt > 0)
        local[n++] = intDigits[--numInt];
    const int point = n;
    local[n++] = '.';

    // With the places all taken by the integer, the point stays and no cut is
    // made ("1234567.").
    if (used < kPlaces) {
        const int decimals = kPlaces - used;
        double fraction = std::fmod(v, 1.0) * std::pow(10.0, decimals);
        for (int i = decimals - 1; i >= 0; --i) {
            if (fraction > 0.0) {
                local[n + i] = digitOf(fraction);
                fraction /= 10.0;
            } else {
                local[n + i] = '0';
            }
        }
        n += decimals;
        local[n] = '\0';

        if (digits == 0)
            local[point] = '\0';
        else if (point + digits < n)
            local[point + digits + 1] = '\0';
    } else {
        local[n] = '\0';
    }
    copyText(local, text);
}

void frequencyStringConvert2(float hz, char* text)
{
    if (static_cast<double>(hz) < 0.2)
        numberWithUnit(hz, 3, "Hz", text);
    else if (hz < 1.0f)
        numberWithUnit(hz, 2, "Hz", text);
    else if (hz < 10.0f)
        numberWithUnit(hz, 1, "Hz", text);
    else if (hz < 1000.0f)
        numberWithUnit(hz, 0, "Hz", text);
    else if (hz < 10000.0f)
        numberWithUnit(static_cast<float>(hz * 0.001), 2, "kHz", text);
    else
        numberWithUnit(static_cast<float>(hz * 0.001), 1, "kHz", text);
}

void dB2string2(float gain, int digits, char* text)
{
    if (gain <= 0.0f) {
        copyText("-oodB", text);
        return;
    }
    // 6 dB per doubling of the gain, with two float roundings on the way.
    const float sixLog = static_cast<float>(6.0 * std::log10(static_cast<double>(gain)));
    const float figure = static_cast<float>(sixLog / std::log10(2.0));
    numberWithUnit(figure, digits, "dB", text);
}

void msStringConvert(float ms, char* text)
{
    if (ms < 0.0001)
        copyText("0ms", text);
    else if (ms < 1.0)
        numberWithUnit(ms, 2, "ms", text);
    else if (ms < 10.0)
        numberWithUnit(ms, 1, "ms", text);
    else if (ms < 1000.0)
        numberWithUnit(ms, 0, "ms", text);
    else
        numberWithUnit(static_cast<float>(ms * 0.001), 2, "s", text);
}

void smpStringConvert(float samples, char* text)
{
    if (std::isnan(samples)) {
        copyText("NaNsmps", text);
        return;
    }
    if (samples < 1.0f) {
        copyText("0smps", text);
        return;
    }
    // 2^31 is the smallest float above INT_MAX; converting it or more is
    // undefined, so larger counts show as INT_MAX.
    const int whole = samples >= 2147483648.0f ? INT_MAX : static_cast<int>(samples);
    char local[kLocalTextSize];
    std::snprintf(local, sizeof local, "%dsmps", whole);
    copyText(local, text);
}
