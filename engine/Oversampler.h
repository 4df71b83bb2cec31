// Half-band 2x upsampler, the matching decimation, and the plain delay that
// replaces the upsampler at high host rates so that the latency stays the same.
#ifndef SYLVATONE_ENGINE_OVERSAMPLER_H
#define SYLVATONE_ENGINE_OVERSAMPLER_H

#include <array>

// Host rates below this run the equaliser at twice the host rate.
constexpr double kOversamplingLimit = 65000.0;

bool oversamplingFor(double hostRate);     // hostRate < 65000
double internalRateFor(double hostRate);   // 2 * hostRate when oversampling, else hostRate

// Interpolation taps g(0) .. g(63) (g(-i) = g(i)), twice the half-band
// prototype, with values below 1e-16 in magnitude set to exactly 0: g(0) is
// 1.0, every other even tap is 0, the 32 odd taps carry the filter.
std::array<double, 64> upsamplerTaps();

// One channel's upsampler. It keeps the last 64 host samples; upsample() and
// delay() both run through that history, so their output is 32 host samples
// behind the input. Not thread-safe: clear() belongs to resume, the rest to
// the audio thread.
class Upsampler {
public:
    static constexpr int kHistory = 64;
    static constexpr int kDelay = 32;      // host samples between input and output
    static constexpr int kMaxBlock = 64;   // host samples per call at most

    Upsampler();

    // Zeroes the history.
    void clear();

    // m host samples in, 2m samples at twice the rate out: for each input the
    // interpolated sample half-way before x[n-32], then x[n-32] itself.
    // out may equal in when it has room for 2m samples. Calls with m outside
    // 0..kMaxBlock do nothing.
    void upsample(const double* in, int m, double* out);

    // m host samples in, the same samples 32 host samples later out.
    // out may equal in. Calls with m outside 0..kMaxBlock do nothing.
    void delay(const double* in, int m, double* out);

private:
    void take(const double* in, int m);
    void advance(int m);

    // The 32 odd taps g(1), g(3), ..., g(63).
    double oddTaps[kHistory / 2];
    // x[n-64] .. x[n-1] for the first sample n of the current call, followed
    // by the call's own m inputs (the interpolation reads on to the end).
    double line[kHistory + kMaxBlock];
};

// Keeps the second sample of each pair (the one on a host sampling instant):
// 2m samples in, m out. out may equal in.
inline void decimate(const double* in, int m, double* out)
{
    for (int j = 0; j < m; ++j)
        out[j] = in[2 * j + 1];
}

#endif
