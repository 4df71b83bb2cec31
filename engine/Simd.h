// The vector width the audio path runs at, and the kernels built for each:
// plain x86-64 (two doubles to a register), AVX2 (four) and AVX-512
// (eight). The widest one the processor has is chosen when the library
// loads; every width computes the same numbers, bit for bit, so the choice
// only changes the speed. Tests switch widths to compare them.
#pragma once

enum class SimdWidth { Sse2, Avx2, Avx512 };

// What the processor (and this build) can run.
bool simdSupported(SimdWidth width);
// The width in use.
SimdWidth simdWidth();
// Switches to width and returns true, or returns false and changes nothing
// where it is not supported. Not for while audio runs on another thread.
bool setSimdWidth(SimdWidth width);

// A block of the filter chain: both channels' filters in the lanes of
// `registers` vector registers, slot k (the k-th filter in signal order) in
// register k % registers at lanes 2 (k / registers) (left) and +1 (right);
// with a tail, the last filter alone in row `registers`, lanes 0 and 1.
// Each field row holds one register's lanes; unused lanes hold zeros. The
// fields are read and the history, glide positions (gliding and mixed
// modes) written back. Gliding alike (linked), the positions and steps are
// laid out by glide unit instead: row u holds the left lanes of columns 2u
// and 2u + 1 (lane 2q + i: column 2u + i's slot of lanes 2q and 2q + 1; a
// last column without a partner in both lanes), and the tail's row its
// glide in lanes 0 and 1.
struct ChainBlock {
    static constexpr int kMaxFilters = 9;
    static constexpr int kMaxRegisters = kMaxFilters;  // one filter to a register at the plain width
    static constexpr int kLanes = 8;
    static constexpr int kMaxSamples = 512;
    using Row = double[kMaxRegisters][kLanes];

    enum Mode { kSteady, kGliding, kMixed };

    int count;      // filters (slots) in the chain, 1..9
    int registers;  // as registersFor gives
    bool tail;      // as hasTail gives
    Mode mode;      // every filter steady, every one gliding all n samples, or any mix
    bool linked;    // gliding, each filter's left and right from the same position by the same step
    bool scaled;    // the last filter's input is multiplied by the gain first
    double gain;
    int n;          // samples, 0..kMaxSamples
    const double* inL;
    const double* inR;
    double* outL;   // may equal inL
    double* outR;   // may equal inR

    alignas(64) Row x1, x2, y1, y2;          // history
    alignas(64) Row b0, minusB1, b2, minusA1, a2;  // destination, b1 and a1 negated
    alignas(64) Row glide;                   // samples that glide (mixed mode)
    alignas(64) Row position[9], step[9];    // zr1, zr2, zi1, zi2, pr1, pr2, pi1, pi2, gain
};

// The kernels of one width.
struct SimdKernels {
    int filtersPerRegister;
    // Runs the block's filters over its n samples (see StereoChain.h).
    void (*chain)(ChainBlock& block);
    // out[j] = sum over t = 0..31, in that order, of taps[t] * (near[j + t] +
    // far[j - t]), for j < m (m <= 64); may read the inputs of outputs up to
    // j = 63.
    void (*interpolate)(const double* near, const double* far, const double* taps, int m, double* out);
    // peaks[i] = the largest of w[k] * mag[first - i + order[k]] over k < n
    // (NaN products skipped, 0 at least) for i < m (m <= 64, first >= m - 1),
    // with w falling (w[k] >= w[k + 1] >= 0) and order a permutation of 0..n-1.
    // May read up to 7 magnitudes before mag + first - (m - 1).
    void (*windowPeaks)(const double* w, const int* order, const double* mag, int first, int m, int n,
                        double* peaks);
};

// The kernels of the width in use.
const SimdKernels& simdKernels();

// Whether the chain kernel runs the last of count filters in a mode alone,
// in a register of one filter, after registers filled with the others: so
// when that filter would otherwise take a register of its own (never in the
// mixed mode, which keeps one layout for any count).
bool hasTail(const SimdKernels& kernels, int count, ChainBlock::Mode mode);
constexpr bool hasTail(int filtersPerRegister, int count)
{
    return filtersPerRegister > 1 && count > 1 && count % filtersPerRegister == 1;
}
// Vector registers the chain kernel takes for count filters in a mode
// (besides the tail's).
int registersFor(const SimdKernels& kernels, int count, ChainBlock::Mode mode);
