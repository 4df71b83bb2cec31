#include "Saturator.h"

#include "Oversampler.h"

#include <cmath>
#include <cstring>

namespace {

constexpr double kKnee = 1.490526;      // where the two gain branches meet
constexpr double kCeiling = 0.993807;   // output peak above the knee

// Largest of w[k] * mag[k] for k = 0 .. n-1, or 0 for n < 1. The products are
// all >= 0; NaN products are skipped. Max gives the same result in any order,
// so eight running maxima side by side (four two-lane vectors, for instruction
// level parallelism) equal the one-by-one search. The explicit vector type
// keeps the compiler from falling back to scalar code at some optimisation
// levels; two lanes map onto SSE2 and NEON registers.
#if defined(__GNUC__)
typedef double Vec2 __attribute__((vector_size(2 * sizeof(double))));

inline Vec2 load2(const double* p)
{
    Vec2 v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

inline Vec2 max2(Vec2 a, Vec2 b)
{
    return a > b ? a : b;
}
#endif

double windowPeak(const double* w, const double* mag, int n)
{
    double peak = 0.0;
    int k = 0;
#if defined(__GNUC__)
    Vec2 a0 = {0.0, 0.0}, a1 = a0, a2 = a0, a3 = a0;
    for (; k + 8 <= n; k += 8) {
        a0 = max2(load2(w + k) * load2(mag + k), a0);
        a1 = max2(load2(w + k + 2) * load2(mag + k + 2), a1);
        a2 = max2(load2(w + k + 4) * load2(mag + k + 4), a2);
        a3 = max2(load2(w + k + 6) * load2(mag + k + 6), a3);
    }
    const Vec2 all = max2(max2(a0, a1), max2(a2, a3));
    peak = all[0] > all[1] ? all[0] : all[1];
#endif
    for (; k < n; ++k) {
        const double v = w[k] * mag[k];
        peak = v > peak ? v : peak;
    }
    return peak;
}

// 1 - 0.15 peak^2 gives a sine of peak A an output peak of A - 0.15 A^3; above
// the knee the output peak is held at the ceiling.
double saturationGain(double peak)
{
    return peak < kKnee ? 1 - 0.15 * (peak * peak) : kCeiling / peak;
}

} // namespace

int satLengthFor(double hostRate)
{
    double t = hostRate / 1500;
    // NaN and negative rates end up at 0, very high ones at 1023, so N stays
    // within 1 .. 1023 and the window fits the rings.
    if (!(t > 0))
        t = 0;
    if (t > 1023)
        t = 1023;
    const int n = static_cast<int>(t);
    return n % 2 == 0 ? n + 1 : n;
}

float latencyFor(double hostRate)
{
    return static_cast<float>(satLengthFor(hostRate) / 2 + Upsampler::kDelay);
}

float latencyMs(double hostRate)
{
    const double r = hostRate >= 20000 && hostRate <= 200000 ? hostRate : 44100.0;
    return static_cast<float>(latencyFor(hostRate) * 1000.0 / r);
}

Saturator::Saturator()
{
    configure(44100.0);
}

void Saturator::configure(double hostRate)
{
    const int n = satLengthFor(hostRate);
    satLength = n;
    std::memset(satWindow, 0, sizeof satWindow);
    for (int k = 0; k < n; ++k)
        satWindow[k] = std::pow(0.5 + 0.5 * std::cos(2 * 3.1415 * (k - n / 2) / n), 0.7071);
    clear();
}

void Saturator::clear()
{
    std::memset(satDelay, 0, sizeof satDelay);
    std::memset(satMagnitude, 0, sizeof satMagnitude);
    satIndex = kMask;
}

double Saturator::processSample(int channel, double s, bool on, int p)
{
    double* ring = satDelay[channel];
    ring[p] = s;
    const double delayed = ring[(p - satLength / 2) & kMask];
    if (!on)
        return delayed;

    double* mag = satMagnitude[channel];
    const int r = kMask - p;
    mag[r] = mag[r + kRingSize] = std::fabs(s);
    // mag[r + k] is the magnitude of ring slot (p - k) mod 1024.
    const double peak = windowPeak(satWindow, mag + r, satLength);
    return saturationGain(peak) * delayed;
}

void Saturator::processStereo(double* left, double* right, int m, bool on)
{
    for (int i = 0; i < m; ++i) {
        const int p = satIndex;
        left[i] = processSample(0, left[i], on, p);
        right[i] = processSample(1, right[i], on, p);
        satIndex = (p + 1) & kMask;
    }
}

void Saturator::processMono(double* x, int m, bool on)
{
    for (int i = 0; i < m; ++i) {
        const int p = satIndex;
        x[i] = processSample(0, x[i], on, p);
        satIndex = (p + 1) & kMask;
    }
}
