#include "Oversampler.h"

#include <emmintrin.h>

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
    if (m == kMaxBlock) {
        __m128d sum[kMaxBlock / 2];
        for (__m128d& v : sum)
            v = _mm_setzero_pd();
        for (int t = 0; t < kHistory / 2; ++t) {
            const __m128d c = _mm_set1_pd(oddTaps[t]);
            const double* near = line + kHistory - kDelay + t;
            const double* far = line + kHistory - kDelay - 1 - t;
            for (int p = 0; p < kMaxBlock / 2; ++p) {
                const __m128d pairSum = _mm_add_pd(_mm_loadu_pd(near + 2 * p), _mm_loadu_pd(far + 2 * p));
                sum[p] = _mm_add_pd(sum[p], _mm_mul_pd(c, pairSum));
            }
        }
        for (int p = 0; p < kMaxBlock / 2; ++p)
            _mm_storeu_pd(acc + 2 * p, sum[p]);
    } else {
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
