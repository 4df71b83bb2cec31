// The kernels of Simd.h, written once over a vector type V and compiled once
// per width (SimdSse2.cpp, SimdAvx2.cpp, SimdAvx512.cpp, each for its own
// instruction set). Everything here has internal linkage and calls nothing
// but intrinsics, so no code built for a wider set can be linked into
// another width's path. The arithmetic is the plain formulas' in their
// order, with no fused multiply-add.
#pragma once

#include <type_traits>

#include "engine/Flush.h"
#include "engine/Simd.h"

#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC optimize("fp-contract=off")
#endif

#define SYLVATONE_INLINE inline __attribute__((always_inline))

namespace {

// The filter chain as a wavefront. Register j holds the filters of slots j,
// j + R, j + 2R, ... (one per quarter: left and right lanes side by side)
// and at step t quarter q filters sample t - j - q (R + D). So each register
// takes its input from the previous step's output of register j - 1, quarter
// for quarter, and register 0 takes the new sample in quarter 0 and, in the
// quarters above, what register R - 1's quarters below put out D + 1 steps
// earlier. Filters sharing a register are never waiting on each other within
// a step, and the delay D keeps the loop through all registers from setting
// the pace. Steps where some lane has no sample (the wavefront filling and
// draining) keep those lanes' state as it was; the steps between, where
// every filter has a sample, run without those checks, two at a time so
// that the history moves by swapping names rather than values.
// kCount is the number of filters, or 0 to take it from the block.
template <class V, int R, ChainBlock::Mode M, int kCount, bool kAlike = false>
void runChain(ChainBlock& b)
{
    using Reg = typename V::Reg;
    using Mask = typename V::Mask;
    constexpr int D = V::kWrapDelay;
    static_assert(D == 0 || D == 1, "the history holds two outputs");
    constexpr bool kGlides = M != ChainBlock::kSteady;
    constexpr bool kMixed = M == ChainBlock::kMixed;
    const int n = b.n;
    const int last = (kCount ? kCount : b.count) - 1;
    const int jOut = last % R, qOut = last / R;
    const int skewOut = jOut + qOut * (R + D);

    // The output gain on the last filter's lanes, when it takes it (times 1
    // is exact elsewhere).
    alignas(64) double lanes[V::kLanes];
    for (int i = 0; i < V::kLanes; ++i)
        lanes[i] = b.scaled && i / 2 == qOut ? b.gain : 1.0;
    const Reg scale = V::load(lanes);
    const Reg flush = V::set1(kFlush);

    Reg x1[R], x2[R], y1[R], y2[R], out[R], skew[R], skewEnd[R], glideEnd[R];
    for (int j = 0; j < R; ++j) {
        x1[j] = V::load(b.x1[j]);
        x2[j] = V::load(b.x2[j]);
        y1[j] = V::load(b.y1[j]);
        y2[j] = V::load(b.y2[j]);
        out[j] = V::zero();
        for (int i = 0; i < V::kLanes; ++i)
            lanes[i] = j + i / 2 * (R + D);
        skew[j] = V::load(lanes);
        skewEnd[j] = V::add(skew[j], V::set1(n));
        glideEnd[j] = kMixed ? V::add(skew[j], V::load(b.glide[j])) : skewEnd[j];
    }
    // Register R - 1's outputs of the last D + 1 steps, latest first.
    Reg wrap[D + 1];
    for (int d = 0; d <= D; ++d)
        wrap[d] = V::zero();

    // Gliding, the coefficients of a stretch of steps are worked out first,
    // register by register, so that the moving poles, zeros and gain of one
    // register stay in registers meanwhile; the position moves on for the
    // lanes with a gliding sample only. Where every filter's left and right
    // glide alike (kAlike), one register works out two registers' filters:
    // lane 2q + i holds the left lane of quarter q of register j + i, and the
    // filters read each value into both lanes of its filter; their tables
    // being half the size, the stretches are twice as long.
    constexpr int kStretch = kAlike ? 32 : kGlides ? 16 : 1;
    constexpr int kUnits = kAlike ? (R + 1) / 2 : 1;
    alignas(64) double rebuilt[kAlike ? 1 : kStretch][R][5][V::kLanes];
    // One more step: the odd registers' reads end one value past their row.
    alignas(64) double rebuiltAlike[kAlike ? kStretch + 1 : 1][kUnits][5][V::kLanes];
    alignas(64) double stepAlike[9][kUnits][V::kLanes];
    if constexpr (kAlike)
        for (int j = 0; j < R; j += 2)
            for (int c = 0; c < 9; ++c)
                V::store(stepAlike[c][j / 2],
                         V::interleaveEven(V::load(b.step[c][j]), V::load(b.step[c][j + 1 < R ? j + 1 : j])));
    int stretchStart = 0;
    // Steps t0..t1 of the positions p of register j (or of the pair from j,
    // alike): moved on by the steps at stepRow + c stride where a lane lies
    // within [from, to), every lane from step allFrom to allTo; each step's
    // coefficients (b1 and a1 negated) go to put(t - t0, c).
    auto glideRow = [&](int t0, int t1, int j, Reg* p, const double* stepRow, int stride, Reg from, Reg to,
                        int allFrom, int allTo, auto put) __attribute__((always_inline)) {
        auto at = [&](int t, auto masked) __attribute__((always_inline)) {
            const double* steps = stepRow;
            asm("" : "+r"(steps));
            const Reg now = V::set1(t);
            Mask moving{}, gliding{};
            if constexpr (decltype(masked)::value) {
                moving = V::both(V::lessEqual(from, now), V::less(now, to));
                if (kMixed) {
                    gliding = V::less(now, glideEnd[j]);
                    moving = V::both(moving, gliding);
                }
            }
#pragma GCC unroll 9
            for (int c = 0; c < 9; ++c) {
                const Reg next = V::add(p[c], V::load(steps + c * stride));
                p[c] = decltype(masked)::value ? V::select(moving, next, p[c]) : next;
            }
            const Reg zr1 = p[0], zr2 = p[1], zi1 = p[2], zi2 = p[3];
            const Reg pr1 = p[4], pr2 = p[5], pi1 = p[6], pi2 = p[7], g = p[8];
            Reg c[5] = {g, V::mul(g, V::add(zr1, zr2)), V::mul(g, V::sub(V::mul(zr1, zr2), V::mul(zi1, zi2))),
                        V::add(pr1, pr2), V::sub(V::mul(pr1, pr2), V::mul(pi1, pi2))};
            if (kMixed) {
                c[0] = V::select(gliding, c[0], V::load(b.b0[j]));
                c[1] = V::select(gliding, c[1], V::load(b.minusB1[j]));
                c[2] = V::select(gliding, c[2], V::load(b.b2[j]));
                c[3] = V::select(gliding, c[3], V::load(b.minusA1[j]));
                c[4] = V::select(gliding, c[4], V::load(b.a2[j]));
            }
            put(t - t0, c);
        };
        // Masks only where some lane may have no sample (always, mixed).
        const int from0 = allFrom < t0 ? t0 : allFrom < t1 ? allFrom : t1;
        const int to0 = allTo < from0 ? from0 : allTo < t1 ? allTo : t1;
        int t = t0;
        for (; t < from0; ++t)
            at(t, std::true_type{});
#pragma GCC unroll 2
        for (; t < to0; ++t)
            at(t, std::bool_constant<kMixed>{});
        for (; t < t1; ++t)
            at(t, std::true_type{});
    };
    auto glide = [&](int t0, int t1) __attribute__((always_inline)) {
        constexpr int kFull = (V::kLanes / 2 - 1) * (R + D);
        if constexpr (kAlike) {
#pragma GCC unroll 16
            for (int j = 0; j < R; j += 2) {
                const int k = j + 1 < R ? j + 1 : j;
                Reg p[9];
                for (int c = 0; c < 9; ++c)
                    p[c] = V::interleaveEven(V::load(b.position[c][j]), V::load(b.position[c][k]));
                glideRow(t0, t1, j, p, stepAlike[0][j / 2], kUnits * V::kLanes, V::interleaveEven(skew[j], skew[k]),
                         V::interleaveEven(skewEnd[j], skewEnd[k]), k + kFull, j + n,
                         [&](int s, const Reg* c) __attribute__((always_inline)) {
#pragma GCC unroll 5
                             for (int i = 0; i < 5; ++i)
                                 V::store(rebuiltAlike[s][j / 2][i], c[i]);
                         });
                for (int c = 0; c < 9; ++c) {
                    V::store(b.position[c][j], V::twiceEven(p[c]));
                    if (k != j)
                        V::store(b.position[c][k], V::twiceOdd(p[c]));
                }
            }
        } else {
#pragma GCC unroll 16
            for (int j = 0; j < R; ++j) {
                Reg p[9];
                for (int c = 0; c < 9; ++c)
                    p[c] = V::load(b.position[c][j]);
                glideRow(t0, t1, j, p, b.step[0][j], ChainBlock::kMaxRegisters * ChainBlock::kLanes, skew[j],
                         skewEnd[j], j + kFull, j + n,
                         [&](int s, const Reg* c) __attribute__((always_inline)) {
#pragma GCC unroll 5
                             for (int i = 0; i < 5; ++i)
                                 V::store(rebuilt[s][j][i], c[i]);
                         });
                for (int c = 0; c < 9; ++c)
                    V::store(b.position[c][j], p[c]);
            }
        }
    };

    // Register j's filters on input x at step t: y = b0 x + b1 x1 + b2 x2 -
    // a1 y1 - a2 y2 with b1 and a1 negated, flushed.
    auto filter = [&](int j, int t, Reg x, Reg xa, Reg xb, Reg ya, Reg yb) __attribute__((always_inline)) {
        Reg b0, minusB1, b2, minusA1, a2;
        if (!kGlides) {
            // Read where they are used: held in registers across steps they
            // would push the history out of them.
            const ChainBlock* c = &b;
            asm("" : "+r"(c));
            b0 = V::load(c->b0[j]);
            minusB1 = V::load(c->minusB1[j]);
            b2 = V::load(c->b2[j]);
            minusA1 = V::load(c->minusA1[j]);
            a2 = V::load(c->a2[j]);
        } else if constexpr (kAlike) {
            const double* c = rebuiltAlike[t - stretchStart][j / 2][0] + j % 2;
            b0 = V::loadTwiceEven(c);
            minusB1 = V::loadTwiceEven(c + V::kLanes);
            b2 = V::loadTwiceEven(c + 2 * V::kLanes);
            minusA1 = V::loadTwiceEven(c + 3 * V::kLanes);
            a2 = V::loadTwiceEven(c + 4 * V::kLanes);
        } else {
            const double(*c)[V::kLanes] = rebuilt[t - stretchStart][j];
            b0 = V::load(c[0]);
            minusB1 = V::load(c[1]);
            b2 = V::load(c[2]);
            minusA1 = V::load(c[3]);
            a2 = V::load(c[4]);
        }
        Reg y = V::mul(b0, x);
        y = V::sub(y, V::mul(minusB1, xa));
        y = V::add(y, V::mul(b2, xb));
        y = V::add(y, V::mul(minusA1, ya));
        y = V::sub(y, V::mul(a2, yb));
        return V::sub(V::add(y, flush), flush);
    };
    auto input = [&](int t) __attribute__((always_inline)) {
        return t < n ? V::pair(b.inL[t], b.inR[t]) : V::pair(0.0, 0.0);
    };
    auto put = [&](int t, Reg y) __attribute__((always_inline)) {
        if (t >= skewOut)
            V::storeQuarter(y, qOut, b.outL + (t - skewOut), b.outR + (t - skewOut));
    };

    // A step where some lanes may have no sample; registers from the last
    // down, so that each reads its predecessor's output before it changes.
    auto maskedStep = [&](int t) __attribute__((always_inline)) {
        const Reg now = V::set1(t);
        const Reg x0 = V::feed(input(t), wrap[D]);
#pragma GCC unroll 16
        for (int j = R - 1; j >= 0; --j) {
            Reg x = j == 0 ? x0 : out[j - 1];
            if (j == jOut)
                x = V::mul(x, scale);
            const Mask active = V::both(V::lessEqual(skew[j], now), V::less(now, skewEnd[j]));
            const Reg y = filter(j, t, x, x1[j], x2[j], y1[j], y2[j]);
            x2[j] = V::select(active, x1[j], x2[j]);
            x1[j] = V::select(active, x, x1[j]);
            y2[j] = V::select(active, y1[j], y2[j]);
            y1[j] = V::select(active, y, y1[j]);
            if (j == R - 1) {
                for (int d = D; d > 0; --d)
                    wrap[d] = wrap[d - 1];
                wrap[0] = y;
            }
            out[j] = y;
            if (j == jOut)
                put(t, y);
        }
    };
    // A step where every lane has a sample: the history is (xa, xb, ya, yb),
    // latest first, and the new input and output replace the older ones,
    // xb and yb. Each register's previous output is then its ya, and
    // register R - 1's of D + 1 steps ago its ya or yb.
    auto fullStep = [&](int t, Reg* xa, Reg* xb, Reg* ya, Reg* yb) __attribute__((always_inline)) {
        const Reg x0 = V::feed(input(t), D == 0 ? ya[R - 1] : yb[R - 1]);
#pragma GCC unroll 16
        for (int j = R - 1; j >= 0; --j) {
            Reg x = j == 0 ? x0 : ya[j - 1];
            if (j == jOut)
                x = V::mul(x, scale);
            const Reg y = filter(j, t, x, xa[j], xb[j], ya[j], yb[j]);
            xb[j] = x;
            yb[j] = y;
            if (j == jOut)
                put(t, y);
        }
    };

    // Steps where some lane has no sample, then those where all have (not
    // told apart in the mixed mode), then some again; stretch by stretch.
    const int steps = n + skewOut;
    const int fullEnd = kMixed ? 0 : n;
    for (int t = 0; t < steps;) {
        const int end = kGlides && t + kStretch < steps ? t + kStretch : steps;
        if (kGlides) {
            glide(t, end);
            stretchStart = t;
        }
        for (; t < end && (t < skewOut || t >= fullEnd); ++t)
            maskedStep(t);
        const int fullTo = end < fullEnd ? end : fullEnd;
        if (t < fullTo) {
            for (; t + 1 < fullTo; t += 2) {
                fullStep(t, x1, x2, y1, y2);
                fullStep(t + 1, x2, x1, y2, y1);
            }
            if (t < fullTo) {
                fullStep(t++, x1, x2, y1, y2);
                for (int j = 0; j < R; ++j) {
                    const Reg x = x1[j], y = y1[j];
                    x1[j] = x2[j];
                    x2[j] = x;
                    y1[j] = y2[j];
                    y2[j] = y;
                }
            }
            for (int j = 0; j < R; ++j)
                out[j] = y1[j];
            wrap[0] = y1[R - 1];
            if (D == 1)
                wrap[D] = y2[R - 1];
        }
        for (; t < end; ++t)
            maskedStep(t);
    }

    for (int j = 0; j < R; ++j) {
        V::store(b.x1[j], x1[j]);
        V::store(b.x2[j], x2[j]);
        V::store(b.y1[j], y1[j]);
        V::store(b.y2[j], y2[j]);
    }
}

// The steady and gliding kernels for every count of filters, each with its
// layout fixed; the mixed one for any count in the most registers.
template <class V, int kCount>
void chainOfCount(ChainBlock& b)
{
    constexpr int R = (kCount + V::kLanes / 2 - 1) / (V::kLanes / 2);
    if constexpr (kCount > 1)
        if (b.count < kCount)
            return chainOfCount<V, kCount - 1>(b);
    if (b.mode == ChainBlock::kSteady)
        runChain<V, R, ChainBlock::kSteady, kCount>(b);
    else if (b.linked)
        runChain<V, R, ChainBlock::kGliding, kCount, true>(b);
    else
        runChain<V, R, ChainBlock::kGliding, kCount>(b);
}

template <class V>
void chain(ChainBlock& b)
{
    // As registersFor gives: the mixed mode always takes the most.
    constexpr int most = (ChainBlock::kMaxFilters + V::kLanes / 2 - 1) / (V::kLanes / 2);
    if (b.n == 0)
        return;
    if (b.mode == ChainBlock::kMixed)
        runChain<V, most, ChainBlock::kMixed, 0>(b);
    else
        chainOfCount<V, ChainBlock::kMaxFilters>(b);
}

// Sixteen outputs at a time, every sum in the order t = 0 .. 31.
template <class V>
void interpolate(const double* near, const double* far, const double* taps, int m, double* out)
{
    using Reg = typename V::Reg;
    constexpr int kRegs = 16 / V::kLanes;
    for (int j0 = 0; j0 < m; j0 += 16) {
        Reg acc[kRegs];
        for (int r = 0; r < kRegs; ++r)
            acc[r] = V::zero();
        for (int t = 0; t < 32; ++t) {
            const Reg c = V::set1(taps[t]);
#pragma GCC unroll 8
            for (int r = 0; r < kRegs; ++r) {
                const int j = j0 + r * V::kLanes;
                acc[r] = V::add(acc[r], V::mul(c, V::add(V::loadu(near + j + t), V::loadu(far + j - t))));
            }
        }
        alignas(64) double sums[16];
        for (int r = 0; r < kRegs; ++r)
            V::store(sums + r * V::kLanes, acc[r]);
        for (int j = j0; j < m && j < j0 + 16; ++j)
            out[j] = sums[j - j0];
    }
}

// Outputs side by side: lane l of a group of L outputs from i0 holds output
// i0 + L - 1 - l, whose magnitudes then lie at one load's place, so each
// window place costs one load, one product and one maximum per L outputs.
// max(p, a) keeps a when p is NaN, as p > a ? p : a does. The places go by
// falling weight, and the search stops once no output's peak lies below the
// next weight times the largest magnitude any of them reads: no product left
// can then raise a peak (rounding keeps w m <= w top), so every peak is what
// the full search gives.
template <class V>
void windowPeaks(const double* w, const int* order, const double* mag, int first, int m, int n, double* peaks)
{
    using Reg = typename V::Reg;
    constexpr int L = V::kLanes;
    constexpr int kGroups = 4;
    constexpr int kBetweenChecks = 4;
    for (int i0 = 0; i0 < m; i0 += kGroups * L) {
        Reg acc[kGroups];
        for (int g = 0; g < kGroups; ++g)
            acc[g] = V::zero();
        const double* base = mag + first - i0 - (L - 1);
        const int groups = (m - i0 + L - 1) / L < kGroups ? (m - i0 + L - 1) / L : kGroups;
        // The largest magnitude the groups read (NaN passed over).
        const double* lowest = base - (groups - 1) * L;
        const int span = n + groups * L - 1;
        Reg most = V::zero();
#pragma GCC unroll 4
        for (int j = 0; j + L <= span; j += L)
            most = V::max(V::loadu(lowest + j), most);
        most = V::max(V::loadu(lowest + span - L), most);
        alignas(64) double lanes[kGroups * L];
        V::store(lanes, most);
        double top = 0.0;
#pragma GCC unroll 8
        for (int i = 0; i < L; ++i)
            top = lanes[i] > top ? lanes[i] : top;

        // All groups: unrolled, so that the peaks stay in registers through
        // the checks.
        if (groups == kGroups) {
            for (int k = 0; k < n;) {
                const int end = k + kBetweenChecks < n ? k + kBetweenChecks : n;
                for (; k < end; ++k) {
                    const Reg c = V::set1(w[k]);
                    const double* at = base + order[k];
#pragma GCC unroll 4
                    for (int g = 0; g < kGroups; ++g)
                        acc[g] = V::max(V::mul(c, V::loadu(at - g * L)), acc[g]);
                }
                static_assert(kGroups == 4, "the least of four peaks");
                if (k < n && !V::anyLess(V::min(V::min(acc[0], acc[1]), V::min(acc[2], acc[3])), V::set1(w[k] * top)))
                    break;
            }
        } else {
            for (int k = 0; k < n;) {
                const int end = k + kBetweenChecks < n ? k + kBetweenChecks : n;
                for (; k < end; ++k) {
                    const Reg c = V::set1(w[k]);
                    const double* at = base + order[k];
                    for (int g = 0; g < groups; ++g)
                        acc[g] = V::max(V::mul(c, V::loadu(at - g * L)), acc[g]);
                }
                if (k < n) {
                    Reg least = acc[0];
                    for (int g = 1; g < groups; ++g)
                        least = V::min(acc[g], least);
                    if (!V::anyLess(least, V::set1(w[k] * top)))
                        break;
                }
            }
        }
        // Lanes back in output order; a group past m through lanes[].
        for (int g = 0; g < groups; ++g) {
            const int from = i0 + g * L;
            if (from + L <= m) {
                V::storeu(peaks + from, V::reverse(acc[g]));
            } else {
                V::store(lanes, V::reverse(acc[g]));
                for (int i = from; i < m; ++i)
                    peaks[i] = lanes[i - from];
            }
        }
    }
}

template <class V>
constexpr SimdKernels kernelsOf()
{
    return {V::kLanes / 2, chain<V>, interpolate<V>, windowPeaks<V>};
}

}  // namespace
