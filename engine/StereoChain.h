// The filters of both channels run together: left and right side by side in
// vector registers, several filters of the chain to a register where the
// width allows, and the filters interleaved per sample as a wavefront, so
// the processor is never left waiting on one filter's feedback (see
// SimdKernels.h). The result equals running each filter over the whole
// buffer in turn, bit for bit, at every width.
#pragma once

#include <cstdint>

#include "engine/EqChannel.h"
#include "engine/Simd.h"

class StereoChain {
public:
    static constexpr int kMaxSamples = ChainBlock::kMaxSamples;

    // Over n samples (0 <= n <= 512) of each channel: the eight band filters
    // (when bands is true), then the output gain, then the low cut, exactly
    // as EqChannel::processBands, a multiplication by gain and
    // lowCut.processFrame would on each channel. Returns false without
    // touching anything when a filter is bypassed on one side only; the
    // caller then runs the channels one by one. One channel alone (mono)
    // goes in as both, left and right the same channel and the same buffer:
    // its filters then run once, in both lanes, still as a wavefront.
    bool process(EqChannel& left, EqChannel& right, double* l, double* r, int n, bool bands, double gain);

private:
    // The kernel's block, kept from one call to the next: while the same
    // filters run in the same way and none of them has changed since (their
    // change counts stand), its rows already hold what loading them would
    // put there, and the next call skips the loading.
    ChainBlock block;
    struct Kept {
        // Whether the block holds for these filters in this mode.
        bool holds(const SimdKernels& k, Filter* const (*stages)[2], int n, ChainBlock::Mode m) const;
        // After a call: what the block now holds, if every filter took its
        // history back as the block has it.
        void note(bool taken, const SimdKernels& k, Filter* const (*stages)[2], int n, ChainBlock::Mode m);

        bool valid = false;
        const SimdKernels* kernels = nullptr;
        int count = 0;
        ChainBlock::Mode mode = ChainBlock::kSteady;
        Filter* stages[ChainBlock::kMaxFilters][2] = {};
        std::uint64_t changes[ChainBlock::kMaxFilters][2] = {};
    } kept;
};
