#include "engine/StereoChain.h"

#include <emmintrin.h>

#include <cstddef>

#include "engine/Simd.h"

namespace {

constexpr int kMaxStages = EqChannel::kChainLength + 1;

// The filters of a chain, left and right, in the order they run: the band
// filters when the equaliser is on, then the low cut.
struct Chain {
    Filter* f[kMaxStages][2];
    int length;
};

Chain chainOf(EqChannel& left, EqChannel& right, bool bands)
{
    Chain chain;
    chain.length = 0;
    if (bands)
        for (int k = 0; k < EqChannel::kChainLength; ++k) {
            chain.f[chain.length][0] = left.chain(k);
            chain.f[chain.length++][1] = right.chain(k);
        }
    chain.f[chain.length][0] = &left.lowCut;
    chain.f[chain.length++][1] = &right.lowCut;
    return chain;
}

// Both sides bypassed or both running, at every position.
bool inStep(const Chain& chain)
{
    for (int k = 0; k < chain.length; ++k)
        if (chain.f[k][0]->isBypassed() != chain.f[k][1]->isBypassed())
            return false;
    return true;
}

// The filters that run, in order; the bypassed ones only clear their
// history. Returns how many run.
int running(const Chain& chain, Filter* (*stages)[2])
{
    int count = 0;
    for (int k = 0; k < chain.length; ++k) {
        Filter* const* f = chain.f[k];
        if (f[0]->isBypassed()) {
            f[0]->clearHistory();
            f[1]->clearHistory();
            continue;
        }
        stages[count][0] = f[0];
        stages[count++][1] = f[1];
    }
    return count;
}

// How many of the n samples each filter glides, and the mode that gives.
ChainBlock::Mode modeOf(Filter* const (*stages)[2], int count, int n, int (*glide)[2])
{
    bool steady = true, gliding = true;
    for (int k = 0; k < count; ++k)
        for (int side = 0; side < 2; ++side) {
            glide[k][side] = stages[k][side]->glideSamples(n);
            steady = steady && glide[k][side] == 0;
            gliding = gliding && glide[k][side] == n;
        }
    return steady ? ChainBlock::kSteady : gliding ? ChainBlock::kGliding : ChainBlock::kMixed;
}

// Each filter's left and right glide from the same position by the same
// step, bit for bit (always so with linked channels): their coefficients are
// then the same and can be worked out once. Compared sixteen bytes at a
// time, in line: a library call per filter costs more than the comparison.
bool glideAlike(Filter* const (*stages)[2], int count)
{
    // Position and step lie side by side: one comparison covers both.
    static_assert(offsetof(Filter::State, step) == offsetof(Filter::State, position) + sizeof(Filter::PoleZero),
                  "step follows position");
    constexpr int kChunks = 2 * sizeof(Filter::PoleZero) / sizeof(__m128i);
    __m128i differ = _mm_setzero_si128();
    for (int k = 0; k < count; ++k) {
        const auto* l = reinterpret_cast<const __m128i*>(&stages[k][0]->state().position);
        const auto* r = reinterpret_cast<const __m128i*>(&stages[k][1]->state().position);
        for (int i = 0; i < kChunks; ++i)
            differ = _mm_or_si128(differ, _mm_xor_si128(_mm_loadu_si128(l + i), _mm_loadu_si128(r + i)));
    }
    return _mm_movemask_epi8(_mm_cmpeq_epi8(differ, _mm_setzero_si128())) == 0xffff;
}

// Where slot k's left lane lies: its register's row and the lane in it;
// next() moves to slot k + 1 (the tail's after the registers' last).
struct Place {
    int row = 0, lane = 0;
    void next(const ChainBlock& b, int filtersPerRegister)
    {
        if (++row == b.registers) {
            row = 0;
            lane += 2;
            if (b.tail && lane == 2 * filtersPerRegister) {
                row = b.registers;
                lane = 0;
            }
        }
    }
};

inline __attribute__((always_inline)) void putPoleZero(ChainBlock::Row* rows, Place at, int side, const Filter::PoleZero& p)
{
    const int r = at.row, i = at.lane + side;
    rows[0][r][i] = p.zr1;
    rows[1][r][i] = p.zr2;
    rows[2][r][i] = p.zi1;
    rows[3][r][i] = p.zi2;
    rows[4][r][i] = p.pr1;
    rows[5][r][i] = p.pr2;
    rows[6][r][i] = p.pi1;
    rows[7][r][i] = p.pi2;
    rows[8][r][i] = p.gain;
}

Filter::PoleZero takePoleZero(const ChainBlock::Row* rows, Place at, int side)
{
    const int r = at.row, i = at.lane + side;
    return {rows[0][r][i], rows[1][r][i], rows[2][r][i], rows[3][r][i], rows[4][r][i],
            rows[5][r][i], rows[6][r][i], rows[7][r][i], rows[8][r][i]};
}

// Every field the mode reads, of every lane; the lanes of no filter hold 0.
// Gliding alike, the kernel reads the positions and steps of the left lanes
// only.
void load(ChainBlock& b, Filter* const (*stages)[2], const int (*glide)[2], int filtersPerRegister)
{
    const int slots = b.registers * filtersPerRegister + b.tail;
    Place at;
    for (int k = 0; k < slots; ++k, at.next(b, filtersPerRegister)) {
        for (int side = 0; side < 2; ++side) {
            const int r = at.row, i = at.lane + side;
            const bool glides = b.mode != ChainBlock::kSteady && !(b.linked && side == 1);
            if (k >= b.count) {
                b.x1[r][i] = b.x2[r][i] = b.y1[r][i] = b.y2[r][i] = 0.0;
                b.b0[r][i] = b.minusB1[r][i] = b.b2[r][i] = b.minusA1[r][i] = b.a2[r][i] = 0.0;
                if (b.mode == ChainBlock::kMixed)
                    b.glide[r][i] = 0.0;
                if (glides) {
                    putPoleZero(b.position, at, side, {});
                    putPoleZero(b.step, at, side, {});
                }
                continue;
            }
            const Filter& f = *stages[k][side];
            const Filter::State& s = f.state();
            const Filter::Coefficients c = f.getDestination();
            b.x1[r][i] = s.history.x1;
            b.x2[r][i] = s.history.x2;
            b.y1[r][i] = s.history.y1;
            b.y2[r][i] = s.history.y2;
            b.b0[r][i] = c.b0;
            b.minusB1[r][i] = -c.b1;
            b.b2[r][i] = c.b2;
            b.minusA1[r][i] = -c.a1;
            b.a2[r][i] = c.a2;
            if (b.mode == ChainBlock::kMixed)
                b.glide[r][i] = glide[k][side];
            if (glides) {
                putPoleZero(b.position, at, side, s.position);
                putPoleZero(b.step, at, side, s.step);
            }
        }
    }
}

// Each filter takes back what its samples reached, as its own block would
// leave it.
void handBack(const ChainBlock& b, Filter* const (*stages)[2], const int (*glide)[2], int filtersPerRegister)
{
    Place at;
    for (int k = 0; k < b.count; ++k, at.next(b, filtersPerRegister)) {
        for (int side = 0; side < 2; ++side) {
            const int i = at.lane + side;
            const Filter::History h{b.x1[at.row][i], b.x2[at.row][i], b.y1[at.row][i], b.y2[at.row][i]};
            Filter& f = *stages[k][side];
            if (glide[k][side] > 0)
                f.endBlock(b.n, h, takePoleZero(b.position, at, side));
            else
                f.endBlock(b.n, h);
        }
    }
}

}  // namespace

bool StereoChain::process(EqChannel& left, EqChannel& right, double* l, double* r, int n, bool bands,
                          double gain)
{
    if (n < 0 || n > kMaxSamples)
        return false;
    const Chain chain = chainOf(left, right, bands);
    if (!inStep(chain))
        return false;

    Filter* stages[kMaxStages][2];
    const int count = running(chain, stages);
    if (n == 0)
        return true;

    // The output gain goes with the low cut, before it; with the low cut
    // bypassed it follows the bands.
    const bool scaled = count > 0 && stages[count - 1][0] == &left.lowCut;
    if (count > 0) {
        const SimdKernels& kernels = simdKernels();
        ChainBlock b;
        b.count = count;
        int glide[kMaxStages][2];
        b.mode = modeOf(stages, count, n, glide);
        b.linked = b.mode == ChainBlock::kGliding && glideAlike(stages, count);
        b.registers = registersFor(kernels, count, b.mode);
        b.tail = hasTail(kernels, count, b.mode);
        b.scaled = scaled;
        b.gain = gain;
        b.n = n;
        b.inL = b.outL = l;
        b.inR = b.outR = r;
        load(b, stages, glide, kernels.filtersPerRegister);
        kernels.chain(b);
        handBack(b, stages, glide, kernels.filtersPerRegister);
    }
    if (!scaled)
        for (int i = 0; i < n; ++i) {
            l[i] *= gain;
            r[i] *= gain;
        }
    return true;
}
