// Vector operations for plain x86-64: two doubles, one filter's left and
// right, to a register. The plain width's kernels run on them, and so do
// the wider widths' tails (one filter run alone after the full registers).
// Internal linkage: each width's file compiles them for its own
// instruction set.
#pragma once

#include <emmintrin.h>

#include "engine/SimdKernels.h"

namespace {

struct Sse2 {
    using Reg = __m128d;
    using Mask = __m128d;
    static constexpr int kLanes = 2;
    static constexpr int kWrapDelay = 0;  // one filter to a register: nothing wraps
    static constexpr int kRegisters = 16;
    using Tail = Sse2;  // never used: one filter to a register has no tail

    static SYLVATONE_INLINE Reg load(const double* p) { return _mm_load_pd(p); }
    static SYLVATONE_INLINE Reg loadu(const double* p) { return _mm_loadu_pd(p); }
    static SYLVATONE_INLINE void store(double* p, Reg v) { _mm_store_pd(p, v); }
    static SYLVATONE_INLINE void storeu(double* p, Reg v) { _mm_storeu_pd(p, v); }
    static SYLVATONE_INLINE Reg set1(double v) { return _mm_set1_pd(v); }
    static SYLVATONE_INLINE Reg zero() { return _mm_setzero_pd(); }
    static SYLVATONE_INLINE Reg add(Reg a, Reg b) { return _mm_add_pd(a, b); }
    static SYLVATONE_INLINE Reg sub(Reg a, Reg b) { return _mm_sub_pd(a, b); }
    static SYLVATONE_INLINE Reg mul(Reg a, Reg b) { return _mm_mul_pd(a, b); }
    // a + b (AVX-512 does it on the multiply-add units).
    static SYLVATONE_INLINE Reg addOnMultipliers(Reg a, Reg b) { return _mm_add_pd(a, b); }
    static SYLVATONE_INLINE Reg max(Reg a, Reg b) { return _mm_max_pd(a, b); }
    static SYLVATONE_INLINE Reg min(Reg a, Reg b) { return _mm_min_pd(a, b); }
    static SYLVATONE_INLINE Mask less(Reg a, Reg b) { return _mm_cmplt_pd(a, b); }
    static SYLVATONE_INLINE Mask lessEqual(Reg a, Reg b) { return _mm_cmple_pd(a, b); }
    static SYLVATONE_INLINE bool anyLess(Reg a, Reg b) { return _mm_movemask_pd(_mm_cmplt_pd(a, b)) != 0; }
    static SYLVATONE_INLINE Mask both(Mask a, Mask b) { return _mm_and_pd(a, b); }
    static SYLVATONE_INLINE Reg select(Mask m, Reg a, Reg b) { return _mm_or_pd(_mm_and_pd(m, a), _mm_andnot_pd(m, b)); }
    // Lanes 0, 2, ... (or 1, 3, ...) of a and b interleaved.
    static SYLVATONE_INLINE Reg interleaveEven(Reg a, Reg b) { return _mm_unpacklo_pd(a, b); }
    static SYLVATONE_INLINE Reg interleaveOdd(Reg a, Reg b) { return _mm_unpackhi_pd(a, b); }
    // a's odd lanes in the even ones, b's even lanes in the odd ones.
    static SYLVATONE_INLINE Reg oddEven(Reg a, Reg b) { return _mm_shuffle_pd(a, b, 0x1); }
    static SYLVATONE_INLINE Reg reverse(Reg a) { return _mm_shuffle_pd(a, a, 1); }
    static SYLVATONE_INLINE __m128d pair(double l, double r) { return _mm_set_pd(r, l); }
    static SYLVATONE_INLINE __m128d topQuarter(Reg v) { return v; }
    static SYLVATONE_INLINE Reg feed(__m128d sample, Reg) { return sample; }
    static SYLVATONE_INLINE void storeQuarter(Reg v, int, double* l, double* r)
    {
        _mm_storel_pd(l, v);
        _mm_storeh_pd(r, v);
    }
};

}  // namespace
