#include "engine/StereoChain.h"

#include <emmintrin.h>

#include "engine/Flush.h"

#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC optimize("fp-contract=off")
#endif

namespace {

constexpr int kMaxStages = EqChannel::kChainLength + 1;

// A filter's fields for both channels, the left in the low half.
struct CoefficientPair {
    __m128d b0, b1, b2, a1, a2;
};
struct HistoryPair {
    __m128d x1, x2, y1, y2;
};
struct PoleZeroPair {
    __m128d zr1, zr2, zi1, zi2, pr1, pr2, pi1, pi2, g;
};

// One position of the chain, both channels, in registers-to-be.
struct Stage {
    Filter* f[2];
    CoefficientPair c;        // in use (set by the kernel that needs them)
    CoefficientPair d;        // destination
    HistoryPair h;
    PoleZeroPair pz, step;    // the glide, when glide > 0
    int glide;                // samples of the block that glide
    bool scaled;              // input multiplied by the output gain first
};

inline __m128d pair(double l, double r)
{
    return _mm_set_pd(r, l);
}

inline double lo(__m128d v)
{
    return _mm_cvtsd_f64(v);
}

inline double hi(__m128d v)
{
    return _mm_cvtsd_f64(_mm_unpackhi_pd(v, v));
}

inline double lane(__m128d v, int side)
{
    return side == 0 ? lo(v) : hi(v);
}

inline __m128d negate(__m128d v)
{
    return _mm_xor_pd(v, _mm_set1_pd(-0.0));
}

CoefficientPair pack(const Filter::Coefficients& l, const Filter::Coefficients& r)
{
    return {pair(l.b0, r.b0), pair(l.b1, r.b1), pair(l.b2, r.b2), pair(l.a1, r.a1), pair(l.a2, r.a2)};
}

HistoryPair pack(const Filter::History& l, const Filter::History& r)
{
    return {pair(l.x1, r.x1), pair(l.x2, r.x2), pair(l.y1, r.y1), pair(l.y2, r.y2)};
}

PoleZeroPair pack(const Filter::PoleZero& l, const Filter::PoleZero& r)
{
    return {pair(l.zr1, r.zr1), pair(l.zr2, r.zr2), pair(l.zi1, r.zi1), pair(l.zi2, r.zi2),
            pair(l.pr1, r.pr1), pair(l.pr2, r.pr2), pair(l.pi1, r.pi1), pair(l.pi2, r.pi2),
            pair(l.gain, r.gain)};
}

Filter::History unpack(const HistoryPair& h, int side)
{
    return {lane(h.x1, side), lane(h.x2, side), lane(h.y1, side), lane(h.y2, side)};
}

Filter::PoleZero unpack(const PoleZeroPair& p, int side)
{
    return {lane(p.zr1, side), lane(p.zr2, side), lane(p.zi1, side), lane(p.zi2, side), lane(p.pr1, side),
            lane(p.pr2, side), lane(p.pi1, side), lane(p.pi2, side), lane(p.g, side)};
}

#define SYLVATONE_ALWAYS_INLINE inline __attribute__((always_inline))

// One glide step: poles, zeros and gain move by their increments.
SYLVATONE_ALWAYS_INLINE void advance(PoleZeroPair& p, const PoleZeroPair& step)
{
    p.zr1 = _mm_add_pd(p.zr1, step.zr1);
    p.zr2 = _mm_add_pd(p.zr2, step.zr2);
    p.zi1 = _mm_add_pd(p.zi1, step.zi1);
    p.zi2 = _mm_add_pd(p.zi2, step.zi2);
    p.pr1 = _mm_add_pd(p.pr1, step.pr1);
    p.pr2 = _mm_add_pd(p.pr2, step.pr2);
    p.pi1 = _mm_add_pd(p.pi1, step.pi1);
    p.pi2 = _mm_add_pd(p.pi2, step.pi2);
    p.g = _mm_add_pd(p.g, step.g);
}

// The coefficients of the present poles, zeros and gain.
SYLVATONE_ALWAYS_INLINE CoefficientPair coefficientsAt(const PoleZeroPair& p)
{
    CoefficientPair c;
    c.b0 = p.g;
    c.b1 = _mm_mul_pd(negate(p.g), _mm_add_pd(p.zr1, p.zr2));
    c.b2 = _mm_mul_pd(p.g, _mm_sub_pd(_mm_mul_pd(p.zr1, p.zr2), _mm_mul_pd(p.zi1, p.zi2)));
    c.a1 = negate(_mm_add_pd(p.pr1, p.pr2));
    c.a2 = _mm_sub_pd(_mm_mul_pd(p.pr1, p.pr2), _mm_mul_pd(p.pi1, p.pi2));
    return c;
}

// The difference equation on one sample of both channels, with the flush.
SYLVATONE_ALWAYS_INLINE __m128d biquad(const CoefficientPair& c, HistoryPair& h, __m128d x)
{
    const __m128d flush = _mm_set1_pd(kFlush);
    __m128d y = _mm_mul_pd(c.b0, x);
    y = _mm_add_pd(y, _mm_mul_pd(c.b1, h.x1));
    y = _mm_add_pd(y, _mm_mul_pd(c.b2, h.x2));
    y = _mm_sub_pd(y, _mm_mul_pd(c.a1, h.y1));
    y = _mm_sub_pd(y, _mm_mul_pd(c.a2, h.y2));
    h.x2 = h.x1;
    h.x1 = x;
    y = _mm_sub_pd(_mm_add_pd(y, flush), flush);
    h.y2 = h.y1;
    h.y1 = y;
    return y;
}

// Runs tick(k, t - k) for every stage k that has a sample at step t:
// filling the pipeline, running full, draining it.
template <int K, typename Tick>
SYLVATONE_ALWAYS_INLINE void wavefront(int n, Tick tick)
{
    for (int t = 0; t < K - 1; ++t)
        for (int k = 0; k <= t; ++k)
            tick(k, t - k);
    for (int t = K - 1; t < n; ++t)
        for (int k = 0; k < K; ++k)
            tick(k, t - k);
    for (int t = n; t < n + K - 1; ++t)
        for (int k = t - n + 1; k < K; ++k)
            tick(k, t - k);
}

// Any mix of gliding and steady stages, any count: at step t, stage k
// filters sample t - k.
void runGeneral(Stage* stages, int count, __m128d* buf, int n, __m128d gain)
{
    for (int t = 0; t < n + count - 1; ++t) {
        const int kFirst = t - n + 1 > 0 ? t - n + 1 : 0;
        const int kLast = t < count - 1 ? t : count - 1;
        for (int k = kFirst; k <= kLast; ++k) {
            Stage& s = stages[k];
            const int i = t - k;
            if (i < s.glide) {
                advance(s.pz, s.step);
                s.c = coefficientsAt(s.pz);
            } else if (i == s.glide) {
                // The glide is over, or there was none: the destination.
                s.c = s.d;
            }
            buf[i] = biquad(s.c, s.h, s.scaled ? _mm_mul_pd(buf[i], gain) : buf[i]);
        }
    }
}

// Every stage steady, a fixed count: coefficients and history side by side,
// addressed with constant offsets.
template <int K, bool LastScaled>
SYLVATONE_ALWAYS_INLINE void runSteady(Stage* stages, __m128d* buf, int n, __m128d gain)
{
    struct Lane {
        CoefficientPair c;
        HistoryPair h;
    };
    Lane lanes[K];
    for (int k = 0; k < K; ++k)
        lanes[k] = {stages[k].d, stages[k].h};
    wavefront<K>(n, [&](int k, int i) __attribute__((always_inline)) {
        const __m128d x = LastScaled && k == K - 1 ? _mm_mul_pd(buf[i], gain) : buf[i];
        buf[i] = biquad(lanes[k].c, lanes[k].h, x);
    });
    for (int k = 0; k < K; ++k)
        stages[k].h = lanes[k].h;
}

// Every stage gliding through the whole block: the per-sample rebuild of
// the coefficients without branches.
template <int K, bool LastScaled>
SYLVATONE_ALWAYS_INLINE void runGliding(Stage* stages, __m128d* buf, int n, __m128d gain)
{
    const __m128d flush = _mm_set1_pd(kFlush);
    wavefront<K>(n, [&](int k, int i) __attribute__((always_inline)) {
        Stage& s = stages[k];
        PoleZeroPair& p = s.pz;
        HistoryPair& h = s.h;
        advance(p, s.step);
        // b1 = -g (zr1 + zr2) and a1 = -(pr1 + pr2) are used through their
        // negations: adding b1 x1 equals subtracting g (zr1 + zr2) x1 exactly,
        // and subtracting a1 y1 equals adding (pr1 + pr2) y1, so the same
        // result takes two operations fewer.
        const __m128d b0 = p.g;
        const __m128d minusB1 = _mm_mul_pd(p.g, _mm_add_pd(p.zr1, p.zr2));
        const __m128d b2 = _mm_mul_pd(p.g, _mm_sub_pd(_mm_mul_pd(p.zr1, p.zr2), _mm_mul_pd(p.zi1, p.zi2)));
        const __m128d minusA1 = _mm_add_pd(p.pr1, p.pr2);
        const __m128d a2 = _mm_sub_pd(_mm_mul_pd(p.pr1, p.pr2), _mm_mul_pd(p.pi1, p.pi2));
        const __m128d x = LastScaled && k == K - 1 ? _mm_mul_pd(buf[i], gain) : buf[i];
        __m128d y = _mm_mul_pd(b0, x);
        y = _mm_sub_pd(y, _mm_mul_pd(minusB1, h.x1));
        y = _mm_add_pd(y, _mm_mul_pd(b2, h.x2));
        y = _mm_add_pd(y, _mm_mul_pd(minusA1, h.y1));
        y = _mm_sub_pd(y, _mm_mul_pd(a2, h.y2));
        h.x2 = h.x1;
        h.x1 = x;
        y = _mm_sub_pd(_mm_add_pd(y, flush), flush);
        h.y2 = h.y1;
        h.y1 = y;
        buf[i] = y;
    });
}

// The steady kernels, built for plain x86-64 and again for AVX2 and AVX-512
// (chosen when the library loads), where the extra registers keep more of
// the chain's state out of memory. The arithmetic is the same in each.
#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__) && !defined(SYLVATONE_NO_CLONES)
#define SYLVATONE_CLONES __attribute__((target_clones("avx512f", "avx2", "default")))
#else
#define SYLVATONE_CLONES
#endif

SYLVATONE_CLONES void steadyWithLowCut(Stage* stages, __m128d* buf, int n, __m128d gain)
{
    runSteady<EqChannel::kChainLength + 1, true>(stages, buf, n, gain);
}

SYLVATONE_CLONES void glidingWithLowCut(Stage* stages, __m128d* buf, int n, __m128d gain)
{
    runGliding<EqChannel::kChainLength + 1, true>(stages, buf, n, gain);
}

SYLVATONE_CLONES void steadyBandsOnly(Stage* stages, __m128d* buf, int n, __m128d gain)
{
    runSteady<EqChannel::kChainLength, false>(stages, buf, n, gain);
}

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

// Both sides bypassed, or both running with as much glide left, at every
// position.
bool inStep(const Chain& chain)
{
    for (int k = 0; k < chain.length; ++k) {
        const Filter& l = *chain.f[k][0];
        const Filter& r = *chain.f[k][1];
        if (l.isBypassed() != r.isBypassed() || (!l.isBypassed() && l.rampRemaining() != r.rampRemaining()))
            return false;
    }
    return true;
}

// Loads the filters that run over the n samples into stages, both sides
// packed; the bypassed ones only clear their history. Returns the number
// of stages.
int gather(const Chain& chain, Stage* stages, int n)
{
    int count = 0;
    for (int k = 0; k < chain.length; ++k) {
        Filter* const* f = chain.f[k];
        if (f[0]->isBypassed()) {
            f[0]->clearHistory();
            f[1]->clearHistory();
            continue;
        }
        if (n == 0)
            continue;
        const Filter::State& l = f[0]->state();
        const Filter::State& r = f[1]->state();
        Stage& s = stages[count++];
        s.f[0] = f[0];
        s.f[1] = f[1];
        s.scaled = k == chain.length - 1;
        s.h = pack(l.history, r.history);
        s.d = pack(f[0]->getDestination(), f[1]->getDestination());
        s.glide = f[0]->glideSamples(n);
        if (s.glide > 0) {
            s.pz = pack(l.position, r.position);
            s.step = pack(l.step, r.step);
        }
    }
    return count;
}

// The fastest kernel for the stages, then the output gain where no active
// low cut applied it.
void runKernel(Stage* stages, int count, __m128d* buf, int n, double gain)
{
    const __m128d g = _mm_set1_pd(gain);
    const bool lowCut = count > 0 && stages[count - 1].scaled;
    bool steady = n >= count, gliding = n >= count;
    for (int k = 0; k < count; ++k) {
        steady = steady && stages[k].glide == 0;
        gliding = gliding && stages[k].glide == n;
    }
    if (steady && count == kMaxStages && lowCut)
        steadyWithLowCut(stages, buf, n, g);
    else if (gliding && count == kMaxStages && lowCut)
        glidingWithLowCut(stages, buf, n, g);
    else if (steady && count == EqChannel::kChainLength && !lowCut)
        steadyBandsOnly(stages, buf, n, g);
    else if (count > 0)
        runGeneral(stages, count, buf, n, g);
    if (!lowCut)
        for (int i = 0; i < n; ++i)
            buf[i] = _mm_mul_pd(buf[i], g);
}

// Each filter takes back what its samples reached, as its own block would
// leave it.
void handBack(const Stage* stages, int count, int n)
{
    for (int k = 0; k < count; ++k) {
        const Stage& s = stages[k];
        for (int side = 0; side < 2; ++side) {
            if (s.glide > 0)
                s.f[side]->endBlock(n, unpack(s.h, side), unpack(s.pz, side));
            else
                s.f[side]->endBlock(n, unpack(s.h, side));
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

    Stage stages[kMaxStages];
    const int count = gather(chain, stages, n);
    if (n == 0)
        return true;

    alignas(16) __m128d buf[kMaxSamples];
    for (int i = 0; i < n; ++i)
        buf[i] = pair(l[i], r[i]);
    runKernel(stages, count, buf, n, gain);
    for (int i = 0; i < n; ++i) {
        l[i] = lo(buf[i]);
        r[i] = hi(buf[i]);
    }
    handBack(stages, count, n);
    return true;
}
