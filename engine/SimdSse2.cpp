// The kernels for plain x86-64: two doubles to a register.
#include "engine/SimdSse2.h"

extern const SimdKernels kSse2Kernels = kernelsOf<Sse2>();
