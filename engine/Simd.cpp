#include "engine/Simd.h"

#include <atomic>

extern const SimdKernels kSse2Kernels;
extern const SimdKernels kAvx2Kernels;
extern const SimdKernels kAvx512Kernels;

namespace {

// Builds that must not pick code by processor (the sanitizers' and
// fuzzers') run the plain width only.
#if defined(__x86_64__) && defined(__GNUC__) && !defined(SYLVATONE_NO_CLONES)
bool processorHas(SimdWidth width)
{
    __builtin_cpu_init();
    switch (width) {
    case SimdWidth::Avx512: return __builtin_cpu_supports("avx512f");
    case SimdWidth::Avx2: return __builtin_cpu_supports("avx2");
    default: return true;
    }
}
#else
bool processorHas(SimdWidth width)
{
    return width == SimdWidth::Sse2;
}
#endif

SimdWidth widest()
{
    return processorHas(SimdWidth::Avx512) ? SimdWidth::Avx512
         : processorHas(SimdWidth::Avx2)   ? SimdWidth::Avx2
                                           : SimdWidth::Sse2;
}

std::atomic<SimdWidth> inUse{widest()};

}  // namespace

bool simdSupported(SimdWidth width)
{
    return processorHas(width);
}

SimdWidth simdWidth()
{
    return inUse.load(std::memory_order_relaxed);
}

bool setSimdWidth(SimdWidth width)
{
    if (!processorHas(width))
        return false;
    inUse.store(width, std::memory_order_relaxed);
    return true;
}

const SimdKernels& simdKernels()
{
    switch (simdWidth()) {
    case SimdWidth::Avx512: return kAvx512Kernels;
    case SimdWidth::Avx2: return kAvx2Kernels;
    default: return kSse2Kernels;
    }
}

bool hasTail(const SimdKernels& kernels, int count, ChainBlock::Mode mode)
{
    return mode != ChainBlock::kMixed && hasTail(kernels.filtersPerRegister, count);
}

int registersFor(const SimdKernels& kernels, int count, ChainBlock::Mode mode)
{
    const int perRegister = kernels.filtersPerRegister;
    const int most = (ChainBlock::kMaxFilters + perRegister - 1) / perRegister;
    if (mode == ChainBlock::kMixed)
        return most;
    return hasTail(kernels, count, mode) ? count / perRegister : (count + perRegister - 1) / perRegister;
}
