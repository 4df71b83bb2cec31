// The filters of both channels run together: left and right packed in one
// vector register, and the filters of a chain interleaved per sample (at
// step t filter k works on sample t - k), so the processor is never left
// waiting on one filter's feedback. The result equals running each filter
// over the whole buffer in turn, bit for bit.
#pragma once

#include "engine/EqChannel.h"

class StereoChain {
public:
    static constexpr int kMaxSamples = 32;

    // Over n samples (0 <= n <= 32) of each channel: the eight band filters
    // (when bands is true), then the output gain, then the low cut, exactly
    // as EqChannel::processBands, a multiplication by gain and
    // lowCut.processFrame would on each channel. Returns false without
    // touching anything when the two channels' filters are not in step (a
    // filter gliding on one side only, or at different glide positions);
    // the caller then runs the channels one by one.
    static bool process(EqChannel& left, EqChannel& right, double* l, double* r, int n, bool bands,
                        double gain);
};
