#include "engine/StereoChain.h"

#include <emmintrin.h>

#include <cmath>
#include <initializer_list>

#include "engine/Flush.h"

#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC optimize("fp-contract=off")
#endif

namespace {

// One position of the chain, both channels, in registers-to-be.
struct Stage {
    Filter* f[2];
    __m128d b0, b1, b2, a1, a2;      // coefficients in use
    __m128d db0, db1, db2, da1, da2; // destination coefficients
    __m128d x1, x2, y1, y2;          // history
    __m128d zr1, zr2, zi1, zi2, pr1, pr2, pi1, pi2, g;   // gliding pole-zero state
    __m128d izr1, izr2, izi1, izi2, ipr1, ipr2, ipi1, ipi2, ig;
    int glide;                       // samples of glide left
    bool scaled;                     // input multiplied by the output gain first
    bool glided;                     // a gliding sample ran in this block
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

inline __m128d negate(__m128d v)
{
    return _mm_xor_pd(v, _mm_set1_pd(-0.0));
}

#define SYLVATONE_ALWAYS_INLINE inline __attribute__((always_inline))

// One glide step: poles, zeros and gain move by their increments.
SYLVATONE_ALWAYS_INLINE void advanceGlide(Stage& s)
{
    s.zr1 = _mm_add_pd(s.zr1, s.izr1);
    s.zr2 = _mm_add_pd(s.zr2, s.izr2);
    s.zi1 = _mm_add_pd(s.zi1, s.izi1);
    s.zi2 = _mm_add_pd(s.zi2, s.izi2);
    s.pr1 = _mm_add_pd(s.pr1, s.ipr1);
    s.pr2 = _mm_add_pd(s.pr2, s.ipr2);
    s.pi1 = _mm_add_pd(s.pi1, s.ipi1);
    s.pi2 = _mm_add_pd(s.pi2, s.ipi2);
    s.g = _mm_add_pd(s.g, s.ig);
}

// The coefficients of the present poles, zeros and gain.
SYLVATONE_ALWAYS_INLINE void rebuildCoefficients(Stage& s)
{
    s.b0 = s.g;
    s.b1 = _mm_mul_pd(negate(s.g), _mm_add_pd(s.zr1, s.zr2));
    s.b2 = _mm_mul_pd(s.g, _mm_sub_pd(_mm_mul_pd(s.zr1, s.zr2), _mm_mul_pd(s.zi1, s.zi2)));
    s.a1 = negate(_mm_add_pd(s.pr1, s.pr2));
    s.a2 = _mm_sub_pd(_mm_mul_pd(s.pr1, s.pr2), _mm_mul_pd(s.pi1, s.pi2));
}

// The difference equation on one sample of both channels, with the flush.
template <typename Coeffs, typename History>
SYLVATONE_ALWAYS_INLINE __m128d biquad(const Coeffs& c, History& h, __m128d x)
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
                advanceGlide(s);
                rebuildCoefficients(s);
            } else if (i == s.glide && s.glided) {
                // The glide is over: the destination takes over.
                s.b0 = s.db0;
                s.b1 = s.db1;
                s.b2 = s.db2;
                s.a1 = s.da1;
                s.a2 = s.da2;
            }
            buf[i] = biquad(s, s, s.scaled ? _mm_mul_pd(buf[i], gain) : buf[i]);
        }
    }
}

// Every stage steady, a fixed count: coefficients and history side by side,
// addressed with constant offsets.
template <int K, bool LastScaled>
SYLVATONE_ALWAYS_INLINE void runSteady(Stage* stages, __m128d* buf, int n, __m128d gain)
{
    struct Lane {
        __m128d b0, b1, b2, a1, a2, x1, x2, y1, y2;
    };
    Lane lanes[K];
    for (int k = 0; k < K; ++k)
        lanes[k] = {stages[k].b0, stages[k].b1, stages[k].b2, stages[k].a1, stages[k].a2,
                    stages[k].x1, stages[k].x2, stages[k].y1, stages[k].y2};
    wavefront<K>(n, [&](int k, int i) __attribute__((always_inline)) {
        const __m128d x = LastScaled && k == K - 1 ? _mm_mul_pd(buf[i], gain) : buf[i];
        buf[i] = biquad(lanes[k], lanes[k], x);
    });
    for (int k = 0; k < K; ++k) {
        stages[k].x1 = lanes[k].x1;
        stages[k].x2 = lanes[k].x2;
        stages[k].y1 = lanes[k].y1;
        stages[k].y2 = lanes[k].y2;
    }
}

// Every stage gliding through the whole block: the per-sample rebuild of
// the coefficients without branches.
template <int K, bool LastScaled>
SYLVATONE_ALWAYS_INLINE void runGliding(Stage* stages, __m128d* buf, int n, __m128d gain)
{
    const __m128d flush = _mm_set1_pd(kFlush);
    wavefront<K>(n, [&](int k, int i) __attribute__((always_inline)) {
        Stage& s = stages[k];
        advanceGlide(s);
        // b1 = -g (zr1 + zr2) and a1 = -(pr1 + pr2) are used through their
        // negations: adding b1 x1 equals subtracting g (zr1 + zr2) x1 exactly,
        // and subtracting a1 y1 equals adding (pr1 + pr2) y1, so the same
        // result takes two operations fewer.
        const __m128d b0 = s.g;
        const __m128d minusB1 = _mm_mul_pd(s.g, _mm_add_pd(s.zr1, s.zr2));
        const __m128d b2 = _mm_mul_pd(s.g, _mm_sub_pd(_mm_mul_pd(s.zr1, s.zr2), _mm_mul_pd(s.zi1, s.zi2)));
        const __m128d minusA1 = _mm_add_pd(s.pr1, s.pr2);
        const __m128d a2 = _mm_sub_pd(_mm_mul_pd(s.pr1, s.pr2), _mm_mul_pd(s.pi1, s.pi2));
        const __m128d x = LastScaled && k == K - 1 ? _mm_mul_pd(buf[i], gain) : buf[i];
        __m128d y = _mm_mul_pd(b0, x);
        y = _mm_sub_pd(y, _mm_mul_pd(minusB1, s.x1));
        y = _mm_add_pd(y, _mm_mul_pd(b2, s.x2));
        y = _mm_add_pd(y, _mm_mul_pd(minusA1, s.y1));
        y = _mm_sub_pd(y, _mm_mul_pd(a2, s.y2));
        s.x2 = s.x1;
        s.x1 = x;
        y = _mm_sub_pd(_mm_add_pd(y, flush), flush);
        s.y2 = s.y1;
        s.y1 = y;
        buf[i] = y;
    });
    // The coefficients the last sample used, for the filters' read-outs.
    for (int k = 0; k < K; ++k)
        rebuildCoefficients(stages[k]);
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

}  // namespace

bool StereoChain::process(EqChannel& left, EqChannel& right, double* l, double* r, int n, bool bands,
                          double gain)
{
    if (n < 0 || n > kMaxSamples)
        return false;

    // The chain: the band filters when the equaliser is on, then the low cut.
    constexpr int kMaxStages = EqChannel::kChainLength + 1;
    Filter* chainL[kMaxStages];
    Filter* chainR[kMaxStages];
    int length = 0;
    if (bands) {
        for (int k = 0; k < EqChannel::kChainLength; ++k) {
            chainL[length] = left.chain(k);
            chainR[length++] = right.chain(k);
        }
    }
    chainL[length] = &left.lowCut;
    chainR[length++] = &right.lowCut;

    // Both sides must be in the same state at every position.
    for (int k = 0; k < length; ++k) {
        const Filter* fl = chainL[k];
        const Filter* fr = chainR[k];
        const bool offL = fl->status == 0 && fl->rampRemaining_ == 0;
        const bool offR = fr->status == 0 && fr->rampRemaining_ == 0;
        if (offL != offR || (!offL && fl->rampRemaining_ != fr->rampRemaining_))
            return false;
    }

    Stage stages[kMaxStages];
    int count = 0;
    bool lowCutActive = false;
    for (int k = 0; k < length; ++k) {
        Filter* fl = chainL[k];
        Filter* fr = chainR[k];
        if (fl->status == 0 && fl->rampRemaining_ == 0) {
            // Bypassed: the buffer passes and the history is cleared.
            for (Filter* f : {fl, fr})
                f->x1 = f->x2 = f->y1 = f->y2 = 0.0;
            continue;
        }
        if (n == 0)
            continue;
        Stage& s = stages[count++];
        s.scaled = k == length - 1;
        lowCutActive = s.scaled;
        s.f[0] = fl;
        s.f[1] = fr;
        s.x1 = pair(fl->x1, fr->x1);
        s.x2 = pair(fl->x2, fr->x2);
        s.y1 = pair(fl->y1, fr->y1);
        s.y2 = pair(fl->y2, fr->y2);
        s.db0 = pair(fl->dB0, fr->dB0);
        s.db1 = pair(fl->dB1, fr->dB1);
        s.db2 = pair(fl->dB2, fr->dB2);
        s.da1 = pair(fl->dA1, fr->dA1);
        s.da2 = pair(fl->dA2, fr->dA2);
        s.glide = fl->rampRemaining_ < static_cast<std::uint64_t>(n) ? static_cast<int>(fl->rampRemaining_) : n;
        s.glided = s.glide > 0;
        if (s.glide > 0) {
            const Filter::PoleZero& cl = fl->current;
            const Filter::PoleZero& cr = fr->current;
            const Filter::Increments& il = fl->increments;
            const Filter::Increments& ir = fr->increments;
            s.zr1 = pair(cl.zr1, cr.zr1);
            s.zr2 = pair(cl.zr2, cr.zr2);
            s.zi1 = pair(cl.zi1, cr.zi1);
            s.zi2 = pair(cl.zi2, cr.zi2);
            s.pr1 = pair(cl.pr1, cr.pr1);
            s.pr2 = pair(cl.pr2, cr.pr2);
            s.pi1 = pair(cl.pi1, cr.pi1);
            s.pi2 = pair(cl.pi2, cr.pi2);
            s.g = pair(cl.gain, cr.gain);
            s.izr1 = pair(il.zr1, ir.zr1);
            s.izr2 = pair(il.zr2, ir.zr2);
            s.izi1 = pair(il.zi1, ir.zi1);
            s.izi2 = pair(il.zi2, ir.zi2);
            s.ipr1 = pair(il.pr1, ir.pr1);
            s.ipr2 = pair(il.pr2, ir.pr2);
            s.ipi1 = pair(il.pi1, ir.pi1);
            s.ipi2 = pair(il.pi2, ir.pi2);
            s.ig = pair(il.gain, ir.gain);
        } else {
            s.b0 = s.db0;
            s.b1 = s.db1;
            s.b2 = s.db2;
            s.a1 = s.da1;
            s.a2 = s.da2;
        }
    }
    if (n == 0)
        return true;

    alignas(16) __m128d buf[kMaxSamples];
    for (int i = 0; i < n; ++i)
        buf[i] = pair(l[i], r[i]);

    const __m128d g = _mm_set1_pd(gain);
    bool steady = n >= count, gliding = n >= count;
    for (int k = 0; k < count; ++k) {
        steady = steady && stages[k].glide == 0;
        gliding = gliding && stages[k].glide == n;
    }
    if (steady && count == kMaxStages && lowCutActive)
        steadyWithLowCut(stages, buf, n, g);
    else if (gliding && count == kMaxStages && lowCutActive)
        glidingWithLowCut(stages, buf, n, g);
    else if (steady && count == EqChannel::kChainLength && !lowCutActive)
        steadyBandsOnly(stages, buf, n, g);
    else if (count > 0)
        runGeneral(stages, count, buf, n, g);
    // Without an active low cut the gain still applies, after the bands.
    if (!lowCutActive)
        for (int i = 0; i < n; ++i)
            buf[i] = _mm_mul_pd(buf[i], g);

    for (int i = 0; i < n; ++i) {
        l[i] = lo(buf[i]);
        r[i] = hi(buf[i]);
    }

    // Hand each filter its state back, exactly as its own block would leave
    // it; a side whose history is no longer finite starts the next block clean.
    for (int k = 0; k < count; ++k) {
        Stage& s = stages[k];
        const __m128d zero = _mm_setzero_pd();
        const __m128d spread = _mm_add_pd(_mm_add_pd(_mm_sub_pd(s.x1, s.x1), _mm_sub_pd(s.x2, s.x2)),
                                          _mm_add_pd(_mm_sub_pd(s.y1, s.y1), _mm_sub_pd(s.y2, s.y2)));
        const int finite = _mm_movemask_pd(_mm_cmpeq_pd(spread, zero));
        for (int c = 0; c < 2; ++c) {
            Filter* f = s.f[c];
            auto pick = [c](__m128d v) { return c == 0 ? lo(v) : hi(v); };
            if (finite & (1 << c)) {
                f->x1 = pick(s.x1);
                f->x2 = pick(s.x2);
                f->y1 = pick(s.y1);
                f->y2 = pick(s.y2);
            } else {
                f->x1 = f->x2 = f->y1 = f->y2 = 0.0;
            }
            if (!s.glided) {
                // Steady all block: the destination was in use throughout.
                f->cA1 = f->dA1;
                f->cA2 = f->dA2;
                f->cB0 = f->dB0;
                f->cB1 = f->dB1;
                f->cB2 = f->dB2;
                continue;
            }
            f->rampRemaining_ -= static_cast<std::uint64_t>(s.glide);
            Filter::PoleZero& cur = f->current;
            cur.zr1 = pick(s.zr1);
            cur.zr2 = pick(s.zr2);
            cur.zi1 = pick(s.zi1);
            cur.zi2 = pick(s.zi2);
            cur.pr1 = pick(s.pr1);
            cur.pr2 = pick(s.pr2);
            cur.pi1 = pick(s.pi1);
            cur.pi2 = pick(s.pi2);
            cur.gain = pick(s.g);
            if (s.glide < n) {
                f->cA1 = f->dA1;
                f->cA2 = f->dA2;
                f->cB0 = f->dB0;
                f->cB1 = f->dB1;
                f->cB2 = f->dB2;
            } else {
                f->cB0 = pick(s.b0);
                f->cB1 = pick(s.b1);
                f->cB2 = pick(s.b2);
                f->cA1 = pick(s.a1);
                f->cA2 = pick(s.a2);
            }
        }
    }
    return true;
}
