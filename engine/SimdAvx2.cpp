// The kernels for AVX2: four doubles, two filters, to a register. Built with
// -mavx2 (see CMakeLists.txt); run only where the processor has it.
#include <immintrin.h>

#include "engine/SimdKernels.h"
#include "engine/SimdSse2.h"

namespace {

struct Avx2 {
    using Reg = __m256d;
    using Mask = __m256d;
    static constexpr int kLanes = 4;
    static constexpr int kWrapDelay = 1;
    static constexpr int kRegisters = 16;
    using Tail = Sse2;

    static SYLVATONE_INLINE Reg load(const double* p) { return _mm256_load_pd(p); }
    static SYLVATONE_INLINE Reg loadu(const double* p) { return _mm256_loadu_pd(p); }
    static SYLVATONE_INLINE void store(double* p, Reg v) { _mm256_store_pd(p, v); }
    static SYLVATONE_INLINE void storeu(double* p, Reg v) { _mm256_storeu_pd(p, v); }
    static SYLVATONE_INLINE Reg set1(double v) { return _mm256_set1_pd(v); }
    static SYLVATONE_INLINE Reg zero() { return _mm256_setzero_pd(); }
    static SYLVATONE_INLINE Reg add(Reg a, Reg b) { return _mm256_add_pd(a, b); }
    static SYLVATONE_INLINE Reg sub(Reg a, Reg b) { return _mm256_sub_pd(a, b); }
    static SYLVATONE_INLINE Reg mul(Reg a, Reg b) { return _mm256_mul_pd(a, b); }
    // a + b (AVX-512 does it on the multiply-add units).
    static SYLVATONE_INLINE Reg addOnMultipliers(Reg a, Reg b) { return _mm256_add_pd(a, b); }
    static SYLVATONE_INLINE Reg max(Reg a, Reg b) { return _mm256_max_pd(a, b); }
    static SYLVATONE_INLINE Reg min(Reg a, Reg b) { return _mm256_min_pd(a, b); }
    static SYLVATONE_INLINE Mask less(Reg a, Reg b) { return _mm256_cmp_pd(a, b, _CMP_LT_OQ); }
    static SYLVATONE_INLINE Mask lessEqual(Reg a, Reg b) { return _mm256_cmp_pd(a, b, _CMP_LE_OQ); }
    static SYLVATONE_INLINE bool anyLess(Reg a, Reg b) { return _mm256_movemask_pd(_mm256_cmp_pd(a, b, _CMP_LT_OQ)) != 0; }
    static SYLVATONE_INLINE Mask both(Mask a, Mask b) { return _mm256_and_pd(a, b); }
    static SYLVATONE_INLINE Reg select(Mask m, Reg a, Reg b) { return _mm256_blendv_pd(b, a, m); }
    static SYLVATONE_INLINE Reg interleaveEven(Reg a, Reg b) { return _mm256_unpacklo_pd(a, b); }
    static SYLVATONE_INLINE Reg interleaveOdd(Reg a, Reg b) { return _mm256_unpackhi_pd(a, b); }
    // a's odd lanes in the even ones, b's even lanes in the odd ones.
    static SYLVATONE_INLINE Reg oddEven(Reg a, Reg b) { return _mm256_shuffle_pd(a, b, 0x5); }
    static SYLVATONE_INLINE Reg reverse(Reg a) { return _mm256_permute4x64_pd(a, 0x1b); }
    static SYLVATONE_INLINE __m128d pair(double l, double r) { return _mm_set_pd(r, l); }
    // The top quarter: the last filter's left and right.
    static SYLVATONE_INLINE __m128d topQuarter(Reg v) { return _mm256_extractf128_pd(v, 1); }
    // The new sample below, the low quarter of w above.
    static SYLVATONE_INLINE Reg feed(__m128d sample, Reg w)
    {
        return _mm256_insertf128_pd(_mm256_castpd128_pd256(sample), _mm256_castpd256_pd128(w), 1);
    }
    static SYLVATONE_INLINE void storeQuarter(Reg v, int q, double* l, double* r)
    {
        const __m128d h = q == 0 ? _mm256_castpd256_pd128(v) : _mm256_extractf128_pd(v, 1);
        _mm_storel_pd(l, h);
        _mm_storeh_pd(r, h);
    }
};

}  // namespace

extern const SimdKernels kAvx2Kernels = kernelsOf<Avx2>();
