#include "Oversampler.h"

#include <cmath>
#include <cstring>

namespace {

constexpr double kPi = 3.14159265358979323846;

// Half-band prototype: a sinc of half the band times a Blackman window, with
// the rounding residue of the zero crossings removed.
double halfBandPrototype(int i)
{
    if (i == 0)
        return 0.5;
    const double h = std::sin(kPi * i / 2) / (128 * std::sin(kPi * i / 127))
                   * (0.42 + 0.5 * std::cos(2 * kPi * i / 127) + 0.08 * std::cos(4 * kPi * i / 127));
    return std::fabs(h) < 1e-16 ? 0.0 : h;
}

// The sixteen interpolated sums of a full sub-block, each summed over its
// 32 tap pairs in the order t = 0 .. 31, eight sums to a vector. Built for
// plain x86-64 and again for AVX2 and AVX-512, chosen when the library
// loads; the arithmetic is the same in each.
#if defined(__GNUC__)
typedef double Vec8 __attribute__((vector_size(8 * sizeof(double))));

#if defined(__x86_64__) && !defined(__clang__) && !defined(SYLVATONE_NO_CLONES)
__attribute__((target_clones("avx512f", "avx2", "default")))
#endif
void interpolate16(const double* near, const double* far, const double* taps, double* out)
{
    Vec8 lo = {0, 0, 0, 0, 0, 0, 0, 0}, hi = lo;
    for (int t = 0; t < 32; ++t) {
        Vec8 n0, n1, f0, f1;
        std::memcpy(&n0, near + t, sizeof n0);
        std::memcpy(&n1, near + t + 8, sizeof n1);
        std::memcpy(&f0, far - t, sizeof f0);
        std::memcpy(&f1, far - t + 8, sizeof f1);
        const double c = taps[t];
        lo += c * (n0 + f0);
        hi += c * (n1 + f1);
    }
    std::memcpy(out, &lo, sizeof lo);
    std::memcpy(out + 8, &hi, sizeof hi);
}
#endif

} // namespace

bool oversamplingFor(double hostRate)
{
    return hostRate < kOversamplingLimit;
}

double internalRateFor(double hostRate)
{
    return oversamplingFor(hostRate) ? 2 * hostRate : hostRate;
}

std::array<double, 64> upsamplerTaps()
{
    std::array<double, 64> g{};
    for (int i = 0; i < 64; ++i)
        g[i] = 2 * halfBandPrototype(i);
    return g;
}

Upsampler::Upsampler()
{
    const std::array<double, 64> g = upsamplerTaps();
    for (int t = 0; t < kHistory / 2; ++t)
        oddTaps[t] = g[2 * t + 1];
    clear();
}

void Upsampler::clear()
{
    std::memset(line, 0, sizeof line);
}

void Upsampler::take(const double* in, int m)
{
    std::memcpy(line + kHistory, in, sizeof(double) * m);
}

void Upsampler::advance(int m)
{
    std::memmove(line, line + m, sizeof(double) * kHistory);
}

void Upsampler::upsample(const double* in, int m, double* out)
{
    if (m < 0 || m > kMaxBlock)
        return;
    take(in, m);

    // For input j, x[n-k] is line[kHistory + j - k]. Every output sums its 32
    // tap pairs in the order t = 0 .. 31; the loop runs across the outputs
    // inside, which keeps that order. A full sub-block keeps its sixteen sums
    // in registers, two outputs to a register.
    double acc[kMaxBlock] = {};
#if defined(__GNUC__)
    if (m == kMaxBlock) {
        interpolate16(line + kHistory - kDelay, line + kHistory - kDelay - 1, oddTaps, acc);
    } else
#endif
    {
        for (int t = 0; t < kHistory / 2; ++t) {
            const double c = oddTaps[t];
            const double* near = line + kHistory - kDelay + t;       // x[n-32+t]
            const double* far = line + kHistory - kDelay - 1 - t;    // x[n-33-t]
            for (int j = 0; j < m; ++j)
                acc[j] += c * (near[j] + far[j]);
        }
    }

    // The centre tap is exactly 1, so the on-instant sample is x[n-32].
    for (int j = 0; j < m; ++j) {
        out[2 * j] = acc[j];
        out[2 * j + 1] = line[kHistory - kDelay + j];
    }
    advance(m);
}

void Upsampler::delay(const double* in, int m, double* out)
{
    if (m < 0 || m > kMaxBlock)
        return;
    take(in, m);
    for (int j = 0; j < m; ++j)
        out[j] = line[kHistory - kDelay + j];
    advance(m);
}
