// The kernels for AVX-512: eight doubles, four filters, to a register. Built
// with -mavx512f (see CMakeLists.txt); run only where the processor has it.
// GCC 12's AVX-512 headers start some results from an undefined vector and
// warn about it where they are inlined.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif
#include <immintrin.h>

#include "engine/SimdKernels.h"
#include "engine/SimdSse2.h"

namespace {

struct Avx512 {
    using Reg = __m512d;
    using Mask = __mmask8;
    static constexpr int kLanes = 8;
    static constexpr int kWrapDelay = 1;
    static constexpr int kRegisters = 32;
    using Tail = Sse2;

    static SYLVATONE_INLINE Reg load(const double* p) { return _mm512_load_pd(p); }
    static SYLVATONE_INLINE Reg loadu(const double* p) { return _mm512_loadu_pd(p); }
    static SYLVATONE_INLINE void store(double* p, Reg v) { _mm512_store_pd(p, v); }
    static SYLVATONE_INLINE void storeu(double* p, Reg v) { _mm512_storeu_pd(p, v); }
    static SYLVATONE_INLINE Reg set1(double v) { return _mm512_set1_pd(v); }
    static SYLVATONE_INLINE Reg zero() { return _mm512_setzero_pd(); }
    static SYLVATONE_INLINE Reg add(Reg a, Reg b) { return _mm512_add_pd(a, b); }
    static SYLVATONE_INLINE Reg sub(Reg a, Reg b) { return _mm512_sub_pd(a, b); }
    static SYLVATONE_INLINE Reg mul(Reg a, Reg b) { return _mm512_mul_pd(a, b); }
    // a + b on the multiply-add units, as a times 1 plus b: the product is
    // exact, so the one rounding gives the sum's bits, while the adders,
    // which the filters keep busiest, are left free.
    static SYLVATONE_INLINE Reg addOnMultipliers(Reg a, Reg b) { return _mm512_fmadd_pd(a, _mm512_set1_pd(1.0), b); }
    static SYLVATONE_INLINE Reg max(Reg a, Reg b) { return _mm512_max_pd(a, b); }
    static SYLVATONE_INLINE Reg min(Reg a, Reg b) { return _mm512_min_pd(a, b); }
    static SYLVATONE_INLINE Mask less(Reg a, Reg b) { return _mm512_cmp_pd_mask(a, b, _CMP_LT_OQ); }
    static SYLVATONE_INLINE Mask lessEqual(Reg a, Reg b) { return _mm512_cmp_pd_mask(a, b, _CMP_LE_OQ); }
    static SYLVATONE_INLINE bool anyLess(Reg a, Reg b) { return _mm512_cmp_pd_mask(a, b, _CMP_LT_OQ) != 0; }
    static SYLVATONE_INLINE Mask both(Mask a, Mask b) { return static_cast<Mask>(a & b); }
    static SYLVATONE_INLINE Reg select(Mask m, Reg a, Reg b) { return _mm512_mask_mov_pd(b, m, a); }
    static SYLVATONE_INLINE Reg interleaveEven(Reg a, Reg b) { return _mm512_maskz_unpacklo_pd(0xff, a, b); }
    static SYLVATONE_INLINE Reg interleaveOdd(Reg a, Reg b) { return _mm512_maskz_unpackhi_pd(0xff, a, b); }
    // a's odd lanes in the even ones, b's even lanes in the odd ones.
    static SYLVATONE_INLINE Reg oddEven(Reg a, Reg b) { return _mm512_maskz_shuffle_pd(0xff, a, b, 0x55); }
    static SYLVATONE_INLINE Reg reverse(Reg a) { return _mm512_permutexvar_pd(_mm512_set_epi64(0, 1, 2, 3, 4, 5, 6, 7), a); }
    static SYLVATONE_INLINE __m128d pair(double l, double r) { return _mm_set_pd(r, l); }
    // The top quarter: the last filter's left and right.
    static SYLVATONE_INLINE __m128d topQuarter(Reg v) { return _mm_castps_pd(_mm512_extractf32x4_ps(_mm512_castpd_ps(v), 3)); }
    // The new sample in quarter 0, quarters 0..2 of w in quarters 1..3.
    static SYLVATONE_INLINE Reg feed(__m128d sample, Reg w)
    {
        const __m512i s = _mm512_broadcast_i32x4(_mm_castpd_si128(sample));
        return _mm512_castsi512_pd(_mm512_alignr_epi64(_mm512_castpd_si512(w), s, 6));
    }
    static SYLVATONE_INLINE void storeQuarter(Reg v, int q, double* l, double* r)
    {
        __m128d h;
        switch (q) {
        case 0: h = _mm512_castpd512_pd128(v); break;
        case 1: h = _mm_castps_pd(_mm512_extractf32x4_ps(_mm512_castpd_ps(v), 1)); break;
        case 2: h = _mm_castps_pd(_mm512_extractf32x4_ps(_mm512_castpd_ps(v), 2)); break;
        default: h = _mm_castps_pd(_mm512_extractf32x4_ps(_mm512_castpd_ps(v), 3)); break;
        }
        _mm_storel_pd(l, h);
        _mm_storeh_pd(r, h);
    }
};

}  // namespace

extern const SimdKernels kAvx512Kernels = kernelsOf<Avx512>();
