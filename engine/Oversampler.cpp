#include "Oversampler.h"

#include <cmath>
#include <cstring>

#include "engine/Simd.h"

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

    // For input j, x[n-k] is line[kHistory + j - k]: every output sums its
    // 32 tap pairs x[n-32+t] + x[n-33-t] in the order t = 0 .. 31.
    double acc[kMaxBlock];
    simdKernels().interpolate(line + kHistory - kDelay, line + kHistory - kDelay - 1, oddTaps, m, acc);

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
