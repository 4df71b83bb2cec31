#include "Saturator.h"


#include <cmath>
#include <cstring>

namespace {

constexpr double kKnee = 1.490526;      // where the two gain branches meet
constexpr double kCeiling = 0.993807;   // output peak above the knee

// Largest of w[k] * mag[k] for k = 0 .. n-1, or 0 for n < 1. The products are
// all >= 0; NaN products are skipped. Max gives the same result in any order,
// so running maxima side by side equal the one-by-one search, and so does
// any vector width: the search is built for plain x86-64 and again for AVX2
// and AVX-512, chosen when the library loads.
// Readable magnitudes from the start of a channel's mirrored ring.
constexpr int kMagnitudes = 2 * Saturator::kRingSize;

#if defined(__GNUC__)
typedef double Vec8 __attribute__((vector_size(8 * sizeof(double))));

// Peaks for m samples in a row: sample i's window of n magnitudes starts at
// mag + offsets[i]. With shifted windows (window a starting a places late,
// zero elsewhere) every load is aligned: the magnitudes are read from the
// aligned place at or before the window's start, against the window shifted
// by as much. The extra products are 0 (or NaN, which is skipped), which
// cannot raise a peak that starts at 0.
#if defined(__x86_64__) && !defined(__clang__) && !defined(SYLVATONE_NO_CLONES)
__attribute__((target_clones("avx512f", "avx2", "default")))
#endif
void windowPeaks(const double* w, const double* shifted, const double* mag, const int* offsets, int m, int n,
                 double* peaks)
{
    for (int i = 0; i < m; ++i) {
        const int a = offsets[i] & 7;
        const bool aligned = shifted && offsets[i] - a + ((n + a + 7) & ~7) <= kMagnitudes;
        const double* g = aligned ? mag + offsets[i] - a : mag + offsets[i];
        const double* wp = aligned ? shifted + a * Saturator::kShiftedStride : w;
        const int length = aligned ? (n + a + 7) & ~7 : n;
        Vec8 a0 = {0, 0, 0, 0, 0, 0, 0, 0}, a1 = a0;
        int k = 0;
        for (; k + 16 <= length; k += 16) {
            Vec8 w0, m0, w1, m1;
            std::memcpy(&w0, wp + k, sizeof w0);
            std::memcpy(&m0, g + k, sizeof m0);
            std::memcpy(&w1, wp + k + 8, sizeof w1);
            std::memcpy(&m1, g + k + 8, sizeof m1);
            const Vec8 p0 = w0 * m0, p1 = w1 * m1;
            a0 = p0 > a0 ? p0 : a0;
            a1 = p1 > a1 ? p1 : a1;
        }
        if (aligned && k < length) {
            Vec8 w0, m0;
            std::memcpy(&w0, wp + k, sizeof w0);
            std::memcpy(&m0, g + k, sizeof m0);
            const Vec8 p0 = w0 * m0;
            a0 = p0 > a0 ? p0 : a0;
            k += 8;
        }
        // Unshifted, a long rest goes in vectors of eight as well, where the
        // magnitudes read stay inside the rings.
        if (!aligned && n - k >= 4 && n + 8 <= Saturator::kRingSize && offsets[i] + n + 8 <= kMagnitudes) {
            for (; k < n; k += 8) {
                Vec8 w0, m0;
                std::memcpy(&w0, wp + k, sizeof w0);
                std::memcpy(&m0, g + k, sizeof m0);
                const Vec8 p0 = w0 * m0;
                a0 = p0 > a0 ? p0 : a0;
            }
        }
        a0 = a1 > a0 ? a1 : a0;
        // Halves against halves down to one lane.
        Vec8 b = __builtin_shufflevector(a0, a0, 4, 5, 6, 7, 0, 1, 2, 3);
        a0 = b > a0 ? b : a0;
        b = __builtin_shufflevector(a0, a0, 2, 3, 0, 1, 6, 7, 4, 5);
        a0 = b > a0 ? b : a0;
        b = __builtin_shufflevector(a0, a0, 1, 0, 3, 2, 5, 4, 7, 6);
        a0 = b > a0 ? b : a0;
        double peak = a0[0];
        for (; k < length; ++k) {
            const double v = wp[k] * g[k];
            peak = v > peak ? v : peak;
        }
        peaks[i] = peak;
    }
}
#else
void windowPeaks(const double* w, const double*, const double* mag, const int* offsets, int m, int n,
                 double* peaks)
{
    for (int i = 0; i < m; ++i) {
        double peak = 0.0;
        for (int k = 0; k < n; ++k) {
            const double v = w[k] * mag[offsets[i] + k];
            peak = v > peak ? v : peak;
        }
        peaks[i] = peak;
    }
}
#endif

double windowPeak(const double* w, const double* mag, int n)
{
    const int offset = 0;
    double peak;
    windowPeaks(w, nullptr, mag, &offset, 1, n, &peak);
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
    // The same window starting 0 to 7 places late, for aligned searches.
    std::memset(shiftedWindows, 0, sizeof shiftedWindows);
    for (int a = 0; a < 8; ++a)
        for (int k = 0; k < n; ++k)
            shiftedWindows[a][a + k] = satWindow[k];
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
    for (int c = 0; c < count; ++c) {
        double* ring = satDelay[c];
        double* mag = satMagnitude[c];
        for (int i = 0; i < m; ++i) {
            const int p = (satIndex + i) & kMask;
            const double s = channels[c][i];
            ring[p] = s;
            const int r = kMask - p;
            mag[r] = mag[r + kRingSize] = std::fabs(s);
        }
    }
    int offsets[kMaxBlock];
    for (int i = 0; i < m; ++i)
        offsets[i] = kMask - ((satIndex + i) & kMask);
    for (int c = 0; c < count; ++c) {
        const double* ring = satDelay[c];
        double peaks[kMaxBlock];
        windowPeaks(satWindow, &shiftedWindows[0][0], satMagnitude[c], offsets, m, satLength, peaks);
        for (int i = 0; i < m; ++i) {
            const int p = (satIndex + i) & kMask;
            channels[c][i] = saturationGain(peaks[i]) * ring[(p - satLength / 2) & kMask];
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
