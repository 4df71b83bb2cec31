// The kernels of Simd.h, written once over a vector type V and compiled once
// per width (SimdSse2.cpp, SimdAvx2.cpp, SimdAvx512.cpp, each for its own
// instruction set). Everything here has internal linkage and calls nothing
// but intrinsics, so no code built for a wider set can be linked into
// another width's path. The arithmetic is the plain formulas' in their
// order, with no product fused into a sum (a sum may run on a multiply-add
// unit as times 1 plus, which rounds as the sum does).
#pragma once

#include <type_traits>
#include <utility>

#include "engine/Flush.h"
#include "engine/Simd.h"

#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC optimize("fp-contract=off")
#endif

#define SYLVATONE_INLINE inline __attribute__((always_inline))

namespace {

// The coefficients of a glide's position p (zr1, zr2, zi1, zi2, pr1, pr2,
// pi1, pi2, gain) in c: b0, b1 and a1 negated, b2, a2.
template <class W>
SYLVATONE_INLINE void coefficientsAt(const typename W::Reg* p, typename W::Reg* c)
{
    using Reg = typename W::Reg;
    const Reg zr1 = p[0], zr2 = p[1], zi1 = p[2], zi2 = p[3];
    const Reg pr1 = p[4], pr2 = p[5], pi1 = p[6], pi2 = p[7], g = p[8];
    c[0] = g;
    c[1] = W::mul(g, W::add(zr1, zr2));
    c[2] = W::mul(g, W::sub(W::mul(zr1, zr2), W::mul(zi1, zi2)));
    c[3] = W::add(pr1, pr2);
    c[4] = W::sub(W::mul(pr1, pr2), W::mul(pi1, pi2));
}

// A register's destination coefficients, as coefficientsAt gives them, from
// row `row` of the block. Read where they are used: held in registers across
// steps they would push the history out of them.
template <class W>
SYLVATONE_INLINE void destinationOf(const ChainBlock& b, int row, typename W::Reg* c)
{
    const ChainBlock* at = &b;
    asm("" : "+r"(at));
    c[0] = W::load(at->b0[row]);
    c[1] = W::load(at->minusB1[row]);
    c[2] = W::load(at->b2[row]);
    c[3] = W::load(at->minusA1[row]);
    c[4] = W::load(at->a2[row]);
}

// y = b0 x + b1 x1 + b2 x2 - a1 y1 - a2 y2 with the coefficients c as
// coefficientsAt gives them, flushed.
template <class W>
SYLVATONE_INLINE typename W::Reg biquad(const typename W::Reg* c, typename W::Reg x, typename W::Reg x1,
                                        typename W::Reg x2, typename W::Reg y1, typename W::Reg y2,
                                        typename W::Reg flush)
{
    typename W::Reg y = W::mul(c[0], x);
    y = W::sub(y, W::mul(c[1], x1));
    y = W::add(y, W::mul(c[2], x2));
    y = W::add(y, W::mul(c[3], y1));
    y = W::sub(y, W::mul(c[4], y2));
    return W::sub(W::add(y, flush), flush);
}

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
//
// Gliding alike (each filter's left and right from the same position by the
// same step), the registers of columns 2u and 2u + 1 (a column being what
// one register holds otherwise) are arranged by side: register 2u holds
// both columns' left lanes (lane 2q + i: column 2u + i, quarter q) and
// register 2u + 1 their right lanes. Both then read the coefficients of the
// pair as worked out once, lane for lane, where otherwise each value would
// be copied into the left and right lanes of its filter every step. A last
// column without a partner keeps the plain arrangement.
//
// With a tail (kTail), the last filter, which would otherwise take a column
// of its own, runs alone in a register of one quarter (V::Tail) as quarter
// Q of column 0 would: it takes column R - 1's top quarter of D + 1 steps
// earlier, which no column takes (one step earlier would do, the tail being
// in no loop, but waiting on the latest outputs measures slower).
// kCount is the number of filters, or 0 to take it from the block.
template <class V, int R, ChainBlock::Mode M, int kCount, bool kAlike = false, bool kTail = false>
void runChain(ChainBlock& b)
{
    using Reg = typename V::Reg;
    using Mask = typename V::Mask;
    constexpr int D = V::kWrapDelay;
    static_assert(D == 0 || D == 1, "the history holds two outputs");
    constexpr bool kGlides = M != ChainBlock::kSteady;
    constexpr bool kMixed = M == ChainBlock::kMixed;
    const int n = b.n;
    constexpr int Q = V::kLanes / 2;
    static_assert(!kTail || (kCount == R * Q + 1 && M != ChainBlock::kMixed), "a tail follows full registers");
    // The last filter's column and quarter (none with a tail), and the step
    // at which it has its first sample.
    const int last = (kCount ? kCount : b.count) - 1;
    const int jOut = kTail ? -1 : last % R, qOut = kTail ? -1 : last / R;
    const int skewOut = kTail ? Q * (R + D) : jOut + qOut * (R + D);
    constexpr bool kPaired = kAlike && R >= 2;
    constexpr int kPaireds = kPaired ? R / 2 * 2 : 0;  // registers arranged by side
    auto paired = [](int j) __attribute__((always_inline)) { return j >= 0 && j < kPaireds; };

    // Between the block's arrangement (by column) and the registers'.
    auto fromColumns = [&](const ChainBlock::Row& row, Reg* r) __attribute__((always_inline)) {
        for (int j = 0; j < R; ++j)
            r[j] = V::load(row[j]);
        for (int j = 0; j < kPaireds; j += 2) {
            const Reg a = r[j], c = r[j + 1];
            r[j] = V::interleaveEven(a, c);
            r[j + 1] = V::interleaveOdd(a, c);
        }
    };
    auto toColumns = [&](const Reg* r, ChainBlock::Row& row) __attribute__((always_inline)) {
        for (int j = 0; j < R; ++j)
            V::store(row[j], !paired(j) ? r[j]
                             : j % 2   ? V::interleaveOdd(r[j - 1], r[j])
                                       : V::interleaveEven(r[j], r[j + 1]));
    };
    // The last column's value in its plain arrangement.
    auto lastColumn = [&](const Reg* r) __attribute__((always_inline)) {
        return paired(R - 1) ? V::interleaveOdd(r[R - 2], r[R - 1]) : r[R - 1];
    };

    // The output gain on the last filter's lanes, when it takes it (times 1
    // is exact elsewhere), in the registers that hold column jOut.
    const int putAt = paired(jOut) ? jOut - jOut % 2 : jOut;
    auto takesGain = [&](int j) __attribute__((always_inline)) { return paired(j) ? j / 2 == jOut / 2 && paired(jOut) : j == jOut; };
    alignas(64) double lanes[V::kLanes];
    for (int i = 0; i < V::kLanes; ++i)
        lanes[i] = b.scaled && (paired(jOut) ? i == 2 * qOut + jOut % 2 : i / 2 == qOut) ? b.gain : 1.0;
    const Reg scale = V::load(lanes);
    const Reg flush = V::set1(kFlush);

    Reg x1[R], x2[R], y1[R], y2[R], out[R], skew[R], skewEnd[R], glideEnd[R], columnSkew[R], columnSkewEnd[R];
    fromColumns(b.x1, x1);
    fromColumns(b.x2, x2);
    fromColumns(b.y1, y1);
    fromColumns(b.y2, y2);
    for (int j = 0; j < R; ++j) {
        out[j] = V::zero();
        for (int i = 0; i < V::kLanes; ++i)
            lanes[i] = j + i / 2 * (R + D);
        columnSkew[j] = V::load(lanes);
        columnSkewEnd[j] = V::add(columnSkew[j], V::set1(n));
    }
    for (int j = 0; j < R; ++j) {
        const int c = j - j % 2;
        skew[j] = paired(j) ? V::interleaveEven(columnSkew[c], columnSkew[c + 1]) : columnSkew[j];
        skewEnd[j] = V::add(skew[j], V::set1(n));
        glideEnd[j] = kMixed ? V::add(skew[j], V::load(b.glide[j])) : skewEnd[j];
    }
    // Column R - 1's outputs of the last D + 1 steps, latest first.
    Reg wrap[D + 1];
    for (int d = 0; d <= D; ++d)
        wrap[d] = V::zero();

    // The tail's history and input gain (its glide stays in the block: it
    // leaves the registers to the columns).
    using T = typename V::Tail;
    using TReg = typename T::Reg;
    TReg tx1 = T::zero(), tx2 = T::zero(), ty1 = T::zero(), ty2 = T::zero(), tailCoef[5];
    const TReg tailGain = T::set1(b.scaled ? b.gain : 1.0), tailFlush = T::set1(kFlush);
    if constexpr (kTail) {
        tx1 = T::load(b.x1[R]);
        tx2 = T::load(b.x2[R]);
        ty1 = T::load(b.y1[R]);
        ty2 = T::load(b.y2[R]);
    }

    // Gliding, each step first moves the zeros, poles and gain on by their
    // step (only in the lanes with a sample, where some may have none) and
    // works out that step's coefficients. This work does not wait on the
    // filters' outputs, so the processor runs it alongside the recursion,
    // which sets the pace. Where every filter's left and right glide alike
    // (kAlike), one unit moves the filters of columns 2u and 2u + 1: its lane
    // 2q + i holds the left lane of quarter q of column 2u + i, as the
    // registers arranged by side have them (and the block's rows, see
    // Simd.h). The positions stay in the block, not being on the
    // recursion's path, except the first unit's where the width has
    // registers to spare for them beside the history.
    constexpr int kUnits = !kGlides ? 1 : kAlike ? (R + 1) / 2 : R;
    constexpr int kHeld = V::kRegisters >= 32 ? 1 : 0;
    Reg from[kUnits], to[kUnits], coef[kUnits][5];
    Reg held[9];
    if constexpr (kGlides)
        for (int u = 0; u < kUnits; ++u) {
            if constexpr (kAlike) {
                const int j = 2 * u, k = j + 1 < R ? j + 1 : j;
                from[u] = V::interleaveEven(columnSkew[j], columnSkew[k]);
                to[u] = V::interleaveEven(columnSkewEnd[j], columnSkewEnd[k]);
            } else {
                from[u] = skew[u];
                to[u] = skewEnd[u];
            }
        }
    if constexpr (kGlides && kHeld > 0)
        for (int c = 0; c < 9; ++c)
            held[c] = V::load(b.position[c][0]);
    // Unit u's positions moved on to step t, and their coefficients (b1 and
    // a1 negated) in coef[u]. The moves go to the multipliers where the
    // width can add there: the adders set the pace of a gliding step.
    // From one component's row of positions or steps to the next.
    constexpr int kStride = ChainBlock::kMaxRegisters * ChainBlock::kLanes;
    auto advance = [&](int u, int t, auto masked) __attribute__((always_inline)) {
        const double* steps = b.step[0][u];
        // Read where they are used, as the steady coefficients are.
        asm("" : "+r"(steps));
        Mask moving{}, gliding{};
        if constexpr (decltype(masked)::value) {
            const Reg now = V::set1(t);
            moving = V::both(V::lessEqual(from[u], now), V::less(now, to[u]));
            if (kMixed) {
                gliding = V::less(now, glideEnd[u]);
                moving = V::both(moving, gliding);
            }
        }
        double* at = b.position[0][u];
        asm("" : "+r"(at));
        Reg p[9];
#pragma GCC unroll 9
        for (int c = 0; c < 9; ++c) {
            const Reg was = u < kHeld ? held[c] : V::load(at + c * kStride);
            const Reg next = V::addOnMultipliers(V::load(steps + c * kStride), was);
            p[c] = decltype(masked)::value ? V::select(moving, next, was) : next;
            if (u < kHeld)
                held[c] = p[c];
            else
                V::store(at + c * kStride, p[c]);
        }
        Reg* c = coef[u];
        coefficientsAt<V>(p, c);
        if constexpr (kMixed) {
            Reg steady[5];
            destinationOf<V>(b, u, steady);
            for (int i = 0; i < 5; ++i)
                c[i] = V::select(gliding, c[i], steady[i]);
        }
    };
    // Before register j's filters run at step t: moves its unit on, once
    // per step (registers go from the last down, so at the unit's highest:
    // an odd one, or the last).
    auto prepare = [&](int j, int t, auto masked) __attribute__((always_inline)) {
        if constexpr (kAlike) {
            if (j % 2 == 1 || j == R - 1)
                advance(j / 2, t, masked);
        } else if constexpr (kGlides) {
            advance(j, t, masked);
        }
    };

    // Register j's filters on input x.
    auto filter = [&](int j, Reg x, Reg xa, Reg xb, Reg ya, Reg yb) __attribute__((always_inline)) {
        if constexpr (!kGlides) {
            Reg steady[5];
            destinationOf<V>(b, j, steady);
            return biquad<V>(steady, x, xa, xb, ya, yb, flush);
        }
        // Alike, a pair's registers and a column alone (whose unit has each
        // value in both lanes) read their unit's values as they are.
        return biquad<V>(coef[kAlike ? j / 2 : j], x, xa, xb, ya, yb, flush);
    };
    auto input = [&](int t) __attribute__((always_inline)) {
        return t < n ? V::pair(b.inL[t], b.inR[t]) : V::pair(0.0, 0.0);
    };
    // Column jOut's output, from register putAt and (paired) its right
    // side's register.
    auto put = [&](int t, Reg y, Reg right) __attribute__((always_inline)) {
        if (paired(jOut))
            y = jOut % 2 ? V::interleaveOdd(y, right) : V::interleaveEven(y, right);
        if (t >= skewOut)
            V::storeQuarter(y, qOut, b.outL + (t - skewOut), b.outR + (t - skewOut));
    };
    // Register j's input: the previous step's outputs p of the column
    // before, or for column 0 what x0 feeds.
    auto inputOf = [&](int j, Reg x0, const Reg* p) __attribute__((always_inline)) {
        if (paired(j))
            return j < 2 ? (j == 0 ? V::interleaveEven(x0, p[0]) : V::oddEven(x0, p[1]))
                         : V::oddEven(p[j - 2], p[j]);
        if (paired(j - 1))
            return V::interleaveOdd(p[j - 2], p[j - 1]);
        return j == 0 ? x0 : p[j - 1];
    };

    // The tail at step t, on column R - 1's output w of D + 1 steps before:
    // from step skewOut on it has a sample at every step, before none.
    auto tail = [&](int t, Reg w, TReg& xa, TReg& xb, TReg& ya, TReg& yb) __attribute__((always_inline)) {
        const TReg x = T::mul(V::topQuarter(w), tailGain);
        if constexpr (kGlides) {
            double* at = b.position[0][R];
            const double* steps = b.step[0][R];
            asm("" : "+r"(at), "+r"(steps));
            TReg p[9];
#pragma GCC unroll 9
            for (int c = 0; c < 9; ++c) {
                p[c] = T::add(T::load(at + c * kStride), T::load(steps + c * kStride));
                T::store(at + c * kStride, p[c]);
            }
            coefficientsAt<T>(p, tailCoef);
        } else {
            destinationOf<T>(b, R, tailCoef);
        }
        const TReg y = biquad<T>(tailCoef, x, xa, xb, ya, yb, tailFlush);
        T::storeQuarter(y, 0, b.outL + (t - skewOut), b.outR + (t - skewOut));
        xb = x;
        yb = y;
    };

    // A step where some lanes may have no sample; registers from the last
    // down, so that each reads its predecessor's output before it changes.
    auto maskedStep = [&](int t) __attribute__((always_inline)) {
        const Reg now = V::set1(t);
        const Reg x0 = V::feed(input(t), wrap[D]);
        if constexpr (kTail)
            if (t >= skewOut) {
                tail(t, wrap[D], tx1, tx2, ty1, ty2);
                std::swap(tx1, tx2);
                std::swap(ty1, ty2);
            }
#pragma GCC unroll 16
        for (int j = R - 1; j >= 0; --j) {
            Reg x = inputOf(j, x0, out);
            if (takesGain(j))
                x = V::mul(x, scale);
            const Mask active = V::both(V::lessEqual(skew[j], now), V::less(now, skewEnd[j]));
            prepare(j, t, std::true_type{});
            const Reg y = filter(j, x, x1[j], x2[j], y1[j], y2[j]);
            x2[j] = V::select(active, x1[j], x2[j]);
            x1[j] = V::select(active, x, x1[j]);
            y2[j] = V::select(active, y1[j], y2[j]);
            y1[j] = V::select(active, y, y1[j]);
            out[j] = y;
            if (j == putAt)
                put(t, y, out[j + paired(j)]);
        }
        for (int d = D; d > 0; --d)
            wrap[d] = wrap[d - 1];
        wrap[0] = lastColumn(out);
    };
    // A step where every lane has a sample: the history is (xa, xb, ya, yb),
    // latest first, and the new input and output replace the older ones,
    // xb and yb. Each register's previous output is then its ya, and
    // register R - 1's of D + 1 steps ago its ya or yb.
    auto fullStep = [&](int t, Reg* xa, Reg* xb, Reg* ya, Reg* yb, TReg& txa, TReg& txb, TReg& tya, TReg& tyb)
                        __attribute__((always_inline)) {
        const Reg w = lastColumn(D == 0 ? ya : yb);
        const Reg x0 = V::feed(input(t), w);
        if constexpr (kTail)
            tail(t, w, txa, txb, tya, tyb);
#pragma GCC unroll 16
        for (int j = R - 1; j >= 0; --j) {
            Reg x = inputOf(j, x0, ya);
            if (takesGain(j))
                x = V::mul(x, scale);
            prepare(j, t, std::false_type{});
            const Reg y = filter(j, x, xa[j], xb[j], ya[j], yb[j]);
            xb[j] = x;
            yb[j] = y;
            if (j == putAt)
                put(t, y, yb[j + paired(j)]);
        }
    };

    // Steps where some lane has no sample, then those where all have (not
    // told apart in the mixed mode), then some again.
    const int steps = n + skewOut;
    const int fullEnd = kMixed ? 0 : n;
    int t = 0;
    for (; t < steps && (t < skewOut || t >= fullEnd); ++t)
        maskedStep(t);
    if (t < fullEnd) {
        for (; t + 1 < fullEnd; t += 2) {
            fullStep(t, x1, x2, y1, y2, tx1, tx2, ty1, ty2);
            fullStep(t + 1, x2, x1, y2, y1, tx2, tx1, ty2, ty1);
        }
        if (t < fullEnd) {
            fullStep(t++, x1, x2, y1, y2, tx1, tx2, ty1, ty2);
            for (int j = 0; j < R; ++j) {
                std::swap(x1[j], x2[j]);
                std::swap(y1[j], y2[j]);
            }
            std::swap(tx1, tx2);
            std::swap(ty1, ty2);
        }
        for (int j = 0; j < R; ++j)
            out[j] = y1[j];
        wrap[0] = lastColumn(y1);
        if (D == 1)
            wrap[D] = lastColumn(y2);
    }
    for (; t < steps; ++t)
        maskedStep(t);

    if constexpr (kGlides && kHeld > 0)
        for (int c = 0; c < 9; ++c)
            V::store(b.position[c][0], held[c]);
    toColumns(x1, b.x1);
    toColumns(x2, b.x2);
    toColumns(y1, b.y1);
    toColumns(y2, b.y2);
    if constexpr (kTail) {
        T::store(b.x1[R], tx1);
        T::store(b.x2[R], tx2);
        T::store(b.y1[R], ty1);
        T::store(b.y2[R], ty2);
    }
}

// The steady and gliding kernels for every count of filters, each with its
// layout fixed; the mixed one for any count in the most registers.
template <class V, int kCount>
void chainOfCount(ChainBlock& b)
{
    constexpr int Q = V::kLanes / 2;
    constexpr bool kTail = hasTail(Q, kCount);
    constexpr int R = kTail ? kCount / Q : (kCount + Q - 1) / Q;
    if constexpr (kCount > 1)
        if (b.count < kCount)
            return chainOfCount<V, kCount - 1>(b);
    if (b.mode == ChainBlock::kSteady)
        runChain<V, R, ChainBlock::kSteady, kCount, false, kTail>(b);
    else if (b.linked)
        runChain<V, R, ChainBlock::kGliding, kCount, true, kTail>(b);
    else
        runChain<V, R, ChainBlock::kGliding, kCount, false, kTail>(b);
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

// G registers of outputs from j0 (those below m kept), every sum in the
// order t = 0 .. 31. The sums of one output wait on each other; G of them
// side by side keep the adders busy meanwhile.
template <class V, int G>
SYLVATONE_INLINE void interpolateGroup(const double* near, const double* far, const double* taps, int j0, int m,
                                       double* out)
{
    using Reg = typename V::Reg;
    Reg acc[G];
    for (int r = 0; r < G; ++r)
        acc[r] = V::zero();
    for (int t = 0; t < 32; ++t) {
        const Reg c = V::set1(taps[t]);
#pragma GCC unroll 8
        for (int r = 0; r < G; ++r) {
            const int j = j0 + r * V::kLanes;
            acc[r] = V::add(acc[r], V::mul(c, V::add(V::loadu(near + j + t), V::loadu(far + j - t))));
        }
    }
    alignas(64) double sums[G * V::kLanes];
    for (int r = 0; r < G; ++r)
        V::store(sums + r * V::kLanes, acc[r]);
    for (int j = j0; j < m && j < j0 + G * V::kLanes; ++j)
        out[j] = sums[j - j0];
}

// Up to eight registers of outputs at a time: as many as m needs.
template <class V>
void interpolate(const double* near, const double* far, const double* taps, int m, double* out)
{
    constexpr int kMost = 8;
    for (int j0 = 0; j0 < m; j0 += kMost * V::kLanes) {
        const int regs = (m - j0 + V::kLanes - 1) / V::kLanes;
        switch (regs < kMost ? regs : kMost) {
        case 1: interpolateGroup<V, 1>(near, far, taps, j0, m, out); break;
        case 2: interpolateGroup<V, 2>(near, far, taps, j0, m, out); break;
        case 3:
        case 4: interpolateGroup<V, 4>(near, far, taps, j0, m, out); break;
        default: interpolateGroup<V, kMost>(near, far, taps, j0, m, out); break;
        }
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
