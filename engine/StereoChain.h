// The filters of both channels run together: left and right side by side in
// vector registers, several filters of the chain to a register where the
// width allows, and the filters interleaved per sample as a wavefront, so
// the processor is never left waiting on one filter's feedback (see
// SimdKernels.h). The result equals running each filter over the whole
// buffer in turn, bit for bit, at every width.
#pragma once

#include "engine/EqChannel.h"

class StereoChain {
public:
    static constexpr int kMaxSamples = 512;

    // Over n samples (0 <= n <= 512) of each channel: the eight band filters
    // (when bands is true), then the output gain, then the low cut, exactly
    // as EqChannel::processBands, a multiplication by gain and
    // lowCut.processFrame would on each channel. Returns false without
    // touching anything when a filter is bypassed on one side only; the
    // caller then runs the channels one by one.
    static bool process(EqChannel& left, EqChannel& right, double* l, double* r, int n, bool bands,
                        double gain);
};
