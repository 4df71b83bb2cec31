#include "Saturator.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include <emmintrin.h>

#include "engine/Simd.h"

namespace {

constexpr double kKnee = 1.490526;      // where the two gain branches meet
constexpr double kCeiling = 0.993807;   // output peak above the knee

// Largest of w[k] * mag[k] for k = 0 .. n-1, or 0 for n < 1. The products are
// all >= 0; NaN products are skipped. Max gives the same result in any
// order, so the vector kernels' side-by-side search equals this one.
double windowPeak(const double* w, const double* mag, int n)
{
    double peak = 0.0;
    for (int k = 0; k < n; ++k) {
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

// Ring slots p .. p + count - 1 take x[0 .. count - 1], and magnitude slots
// r, r - 1, ... (and those a ring further on) their magnitudes, two at a
// time.
void storeRun(const double* x, int count, double* ring, double* mag)
{
    const __m128d sign = _mm_set1_pd(-0.0);
    int i = 0;
    for (; i + 2 <= count; i += 2) {
        const __m128d s = _mm_loadu_pd(x + i);
        _mm_storeu_pd(ring + i, s);
        const __m128d m = _mm_shuffle_pd(_mm_andnot_pd(sign, s), _mm_andnot_pd(sign, s), 1);
        _mm_storeu_pd(mag - i - 1, m);
        _mm_storeu_pd(mag - i - 1 + Saturator::kRingSize, m);
    }
    for (; i < count; ++i) {
        ring[i] = x[i];
        mag[-i] = mag[-i + Saturator::kRingSize] = std::fabs(x[i]);
    }
}

// out[i] = saturationGain(peaks[i]) * delayed[i], two at a time: the branch
// the scalar test takes is kept, the division worked out only where a peak
// reaches the knee.
void applyGains(const double* peaks, const double* delayed, int count, double* out)
{
    const __m128d knee = _mm_set1_pd(kKnee), one = _mm_set1_pd(1.0), bend = _mm_set1_pd(0.15),
                  ceiling = _mm_set1_pd(kCeiling);
    int i = 0;
    for (; i + 2 <= count; i += 2) {
        const __m128d peak = _mm_loadu_pd(peaks + i);
        const __m128d below = _mm_cmplt_pd(peak, knee);
        __m128d gain = _mm_sub_pd(one, _mm_mul_pd(bend, _mm_mul_pd(peak, peak)));
        if (_mm_movemask_pd(below) != 3)
            gain = _mm_or_pd(_mm_and_pd(below, gain), _mm_andnot_pd(below, _mm_div_pd(ceiling, peak)));
        _mm_storeu_pd(out + i, _mm_mul_pd(gain, _mm_loadu_pd(delayed + i)));
    }
    for (; i < count; ++i)
        out[i] = saturationGain(peaks[i]) * delayed[i];
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
    for (int k = 0; k < n; ++k)
        satOrder[k] = k;
    std::sort(satOrder, satOrder + n, [this](int a, int b) {
        return satWindow[a] > satWindow[b] || (satWindow[a] == satWindow[b] && a < b);
    });
    for (int k = 0; k < n; ++k)
        satFalling[k] = satWindow[satOrder[k]];
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

    double* mag = magnitudes(channel);
    const int r = kMask - p;
    mag[r] = mag[r + kRingSize] = std::fabs(s);
    // mag[r + k] is the magnitude of ring slot (p - k) mod 1024.
    const double peak = windowPeak(satWindow, mag + r, satLength);
    return saturationGain(peak) * delayed;
}

// With the stage on, a block first writes every sample and magnitude into
// the rings and then searches the windows: the searches read only what was
// stored a while ago, which the processor serves fastest. A window never
// reaches the slots of later samples of the same block as long as N + m
// fits the ring, so the result is the same as going sample by sample.
void Saturator::processBlock(double* const* channels, int count, int m, bool on)
{
    if (!on) {
        // Off: a plain delay of N / 2 samples through the same rings.
        const int half = satLength / 2;
        for (int i = 0; i < m; ++i) {
            const int p = (satIndex + i) & kMask;
            for (int c = 0; c < count; ++c) {
                satDelay[c][p] = channels[c][i];
                channels[c][i] = satDelay[c][(p - half) & kMask];
            }
        }
        satIndex = (satIndex + m) & kMask;
        return;
    }
    if (satLength + m > kRingSize || m > kMaxBlock) {
        for (int i = 0; i < m; ++i) {
            const int p = satIndex;
            for (int c = 0; c < count; ++c)
                channels[c][i] = processSample(c, channels[c][i], on, p);
            satIndex = (p + 1) & kMask;
        }
        return;
    }
    for (int c = 0; c < count; ++c)
        for (int i = 0, run; i < m; i += run) {
            const int p = (satIndex + i) & kMask;
            run = m - i < kRingSize - p ? m - i : kRingSize - p;
            storeRun(channels[c] + i, run, satDelay[c] + p, magnitudes(c) + (kMask - p));
        }
    // Sample i's window starts at magnitude kMask - p for its slot p: one
    // run down from the block's first slot to slot 1023, another from the
    // top of the ring on after the position wraps.
    const SimdKernels& kernels = simdKernels();
    const int first = kMask - satIndex;
    const int beforeWrap = m < first + 1 ? m : first + 1;
    for (int c = 0; c < count; ++c) {
        const double* ring = satDelay[c];
        double peaks[kMaxBlock];
        kernels.windowPeaks(satFalling, satOrder, magnitudes(c), first, beforeWrap, satLength, peaks);
        if (beforeWrap < m)
            kernels.windowPeaks(satFalling, satOrder, magnitudes(c), kMask, m - beforeWrap, satLength, peaks + beforeWrap);
        for (int i = 0, run; i < m; i += run) {
            const int q = (satIndex + i - satLength / 2) & kMask;
            run = m - i < kRingSize - q ? m - i : kRingSize - q;
            applyGains(peaks + i, ring + q, run, channels[c] + i);
        }
    }
    satIndex = (satIndex + m) & kMask;
}

void Saturator::processStereo(double* left, double* right, int m, bool on)
{
    double* const channels[2] = {left, right};
    processBlock(channels, 2, m, on);
}

void Saturator::processMono(double* x, int m, bool on)
{
    double* const channels[1] = {x};
    processBlock(channels, 1, m, on);
}
