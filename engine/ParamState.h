// The engine's decoded parameter values. They are written by setParameter on
// whichever thread the host or the editor uses and read by the audio thread,
// so every field is an atomic (relaxed: each value stands on its own).
#pragma once

#include <atomic>

enum Band : int { kBandLf = 0, kBandLmf, kBandHmf, kBandHf, kNumBands };

struct BandState {
    std::atomic<int> on{0};
    std::atomic<double> freq{1000.0};
    std::atomic<int> narrow{0};
    std::atomic<double> gain{0.0};  // dB
};

struct ParamState {
    static constexpr int kCount = 42;

    std::atomic<float> rawValues[kCount] = {};
    std::atomic<int> eqAllOn{0};
    std::atomic<int> processLeft{1};
    std::atomic<int> processRight{1};
    std::atomic<double> outputGainTarget{1.0};
    std::atomic<int> satOn{0};
    std::atomic<double> hpfFreq{3.0};
    std::atomic<int> lowCutEnable{0};
    std::atomic<int> storedSwitch{0};  // index 40: kept, steers nothing
    BandState bands[kNumBands];
};

static_assert(std::atomic<double>::is_always_lock_free, "audio thread reads must not lock");
