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

// Where slot k's glide lies when the sides glide alike (see Simd.h): its
// row and lane, and a second lane that holds it too (or -1); next() moves
// to slot k + 1, as Place does.
struct AlikePlace {
    int row = 0, lane = 0, twin = -1;
    int column = 0, quarter = 0;

    explicit AlikePlace(const ChainBlock& b) { settle(b); }
    void next(const ChainBlock& b, int filtersPerRegister)
    {
        if (++column == b.registers) {
            column = 0;
            ++quarter;
        }
        if (quarter == filtersPerRegister) {  // the tail
            row = b.registers;
            lane = 0;
            twin = 1;
            return;
        }
        settle(b);
    }

private:
    void settle(const ChainBlock& b)
    {
        const bool alone = column == b.registers - 1 && b.registers % 2 == 1;
        row = column / 2;
        lane = 2 * quarter + column % 2;
        twin = alone ? 2 * quarter + 1 : -1;
    }
};

inline __attribute__((always_inline)) void putPoleZero(ChainBlock::Row* rows, int r, int i, const Filter::PoleZero& p)
{
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

Filter::PoleZero takePoleZero(const ChainBlock::Row* rows, int r, int i)
{
    return {rows[0][r][i], rows[1][r][i], rows[2][r][i], rows[3][r][i], rows[4][r][i],
            rows[5][r][i], rows[6][r][i], rows[7][r][i], rows[8][r][i]};
}

// The glide of a filter (or none: zeros) in lane i of row r.
inline __attribute__((always_inline)) void putGlide(ChainBlock& b, int r, int i, const Filter::State* s)
{
    putPoleZero(b.position, r, i, s ? s->position : Filter::PoleZero{});
    putPoleZero(b.step, r, i, s ? s->step : Filter::PoleZero{});
}

// The bits in which a filter's left and right glides differ, position or
// step: none when they glide alike (always so with linked channels), and
// their coefficients can be worked out once. Compared sixteen bytes at a
// time, in line: a library call costs more.
inline __attribute__((always_inline)) __m128i glideDiffers(const Filter::State& l, const Filter::State& r)
{
    // Position and step lie side by side: one comparison covers both.
    static_assert(offsetof(Filter::State, step) == offsetof(Filter::State, position) + sizeof(Filter::PoleZero),
                  "step follows position");
    constexpr int kChunks = 2 * sizeof(Filter::PoleZero) / sizeof(__m128i);
    const auto* a = reinterpret_cast<const __m128i*>(&l.position);
    const auto* c = reinterpret_cast<const __m128i*>(&r.position);
    __m128i differ = _mm_setzero_si128();
    for (int i = 0; i < kChunks; ++i)
        differ = _mm_or_si128(differ, _mm_xor_si128(_mm_loadu_si128(a + i), _mm_loadu_si128(c + i)));
    return differ;
}

// Every field the mode reads, of every lane; the lanes of no filter hold 0.
// Gliding, the glides go in as the sides have them: alike (b.linked set
// here) or not.
void load(ChainBlock& b, Filter* const (*stages)[2], const int (*glide)[2], int filtersPerRegister)
{
    const int slots = b.registers * filtersPerRegister + b.tail;
    const bool mixed = b.mode == ChainBlock::kMixed;
    b.linked = false;
    Place at;
    for (int k = 0; k < slots; ++k, at.next(b, filtersPerRegister)) {
        for (int side = 0; side < 2; ++side) {
            const int r = at.row, i = at.lane + side;
            if (k >= b.count) {
                b.x1[r][i] = b.x2[r][i] = b.y1[r][i] = b.y2[r][i] = 0.0;
                b.b0[r][i] = b.minusB1[r][i] = b.b2[r][i] = b.minusA1[r][i] = b.a2[r][i] = 0.0;
                if (mixed)
                    b.glide[r][i] = 0.0;
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
            if (mixed)
                b.glide[r][i] = glide[k][side];
        }
    }
    if (b.mode == ChainBlock::kSteady)
        return;
    if (b.mode == ChainBlock::kGliding) {
        __m128i differ = _mm_setzero_si128();
        AlikePlace p(b);
        for (int k = 0; k < slots; ++k, p.next(b, filtersPerRegister)) {
            const Filter::State* s = k < b.count ? &stages[k][0]->state() : nullptr;
            if (s)
                differ = _mm_or_si128(differ, glideDiffers(*s, stages[k][1]->state()));
            putGlide(b, p.row, p.lane, s);
            if (p.twin >= 0)
                putGlide(b, p.row, p.twin, s);
        }
        b.linked = _mm_movemask_epi8(_mm_cmpeq_epi8(differ, _mm_setzero_si128())) == 0xffff;
        if (b.linked)
            return;
    }
    at = Place{};
    for (int k = 0; k < slots; ++k, at.next(b, filtersPerRegister))
        for (int side = 0; side < 2; ++side)
            putGlide(b, at.row, at.lane + side, k < b.count ? &stages[k][side]->state() : nullptr);
}

// Each filter takes back what its samples reached, as its own block would
// leave it; gliding alike, both sides reached the same position. Returns
// false when a filter cleared its history instead (not finite).
bool handBack(const ChainBlock& b, Filter* const (*stages)[2], const int (*glide)[2], int filtersPerRegister)
{
    bool taken = true;
    Place at;
    AlikePlace alike(b);
    for (int k = 0; k < b.count; ++k, at.next(b, filtersPerRegister), alike.next(b, filtersPerRegister)) {
        Filter::PoleZero reached;
        if (b.linked)
            reached = takePoleZero(b.position, alike.row, alike.lane);
        // One channel in both lanes: its filter takes the left lane's.
        const int sides = stages[k][1] == stages[k][0] ? 1 : 2;
        for (int side = 0; side < sides; ++side) {
            const int i = at.lane + side;
            const Filter::History h{b.x1[at.row][i], b.x2[at.row][i], b.y1[at.row][i], b.y2[at.row][i]};
            Filter& f = *stages[k][side];
            if (glide[k][side] == 0)
                taken &= f.endBlock(b.n, h);
            else
                taken &= f.endBlock(b.n, h, b.linked ? reached : takePoleZero(b.position, at.row, i));
        }
    }
    return taken;
}

}  // namespace

// The mixed mode's glide rows depend on n: they are loaded every time.
bool StereoChain::Kept::holds(const SimdKernels& k, Filter* const (*stages)[2], int n, ChainBlock::Mode m) const
{
    if (!valid || kernels != &k || count != n || mode != m || m == ChainBlock::kMixed)
        return false;
    for (int i = 0; i < n; ++i)
        for (int side = 0; side < 2; ++side)
            if (this->stages[i][side] != stages[i][side] || changes[i][side] != stages[i][side]->changes())
                return false;
    return true;
}

void StereoChain::Kept::note(bool taken, const SimdKernels& k, Filter* const (*stages)[2], int n, ChainBlock::Mode m)
{
    valid = taken;
    kernels = &k;
    count = n;
    mode = m;
    for (int i = 0; i < n; ++i)
        for (int side = 0; side < 2; ++side) {
            this->stages[i][side] = stages[i][side];
            changes[i][side] = stages[i][side]->changes();
        }
}

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
        ChainBlock& b = block;
        int glide[kMaxStages][2];
        const ChainBlock::Mode mode = modeOf(stages, count, n, glide);
        const bool held = kept.holds(kernels, stages, count, mode);
        b.scaled = scaled;
        b.gain = gain;
        b.n = n;
        b.inL = b.outL = l;
        b.inR = b.outR = r;
        if (!held) {
            b.count = count;
            b.mode = mode;
            b.registers = registersFor(kernels, count, mode);
            b.tail = hasTail(kernels, count, mode);
            load(b, stages, glide, kernels.filtersPerRegister);
        }
        kernels.chain(b);
        const bool taken = handBack(b, stages, glide, kernels.filtersPerRegister);
        kept.note(taken, kernels, stages, count, mode);
    } else {
        kept.valid = false;
    }
    if (!scaled)
        for (int i = 0; i < n; ++i) {
            l[i] *= gain;
            if (r != l)
                r[i] *= gain;
        }
    return true;
}
