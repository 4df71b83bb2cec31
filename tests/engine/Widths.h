// Runs a test body once at every vector width this processor has, and puts
// back the width in use afterwards.
#pragma once

#include <gtest/gtest.h>

#include "engine/Simd.h"

template <typename Body>
void atEveryWidth(Body body)
{
    const SimdWidth saved = simdWidth();
    const struct {
        SimdWidth width;
        const char* name;
    } widths[] = {{SimdWidth::Sse2, "SSE2"}, {SimdWidth::Avx2, "AVX2"}, {SimdWidth::Avx512, "AVX-512"}};
    for (const auto& w : widths) {
        if (!setSimdWidth(w.width))
            continue;
        SCOPED_TRACE(w.name);
        body(w.width);
    }
    setSimdWidth(saved);
}
