// Drives a Sylvatone instance without a host: rate, resume, and blocks of
// audio through the host's processing entries.
#pragma once

#include <algorithm>
#include <cmath>
#include <type_traits>
#include <vector>

#include "plugin/Sylvatone.h"
#include "tests/engine/Signals.h"

struct EngineHarness {
    explicit EngineHarness(double rate = 44100.0)
    {
        fx.setSampleRate(static_cast<float>(rate));
        fx.resume();
    }

    // Master switch off, 0 dB output, saturation off: only the latency acts.
    // Taken over at once (as between suspend and resume), not gliding.
    void neutral()
    {
        fx.setParameter(kParamEqAll, 0.0f);
        fx.setParameter(kParamOutput, 0.5f);
        fx.setParameter(kParamSat, 0.0f);
        fx.suspend();
        fx.resume();
    }

    // Runs the signal through the float or double stereo entry in blocks.
    template <typename T>
    Stereo run(const std::vector<T>& l, const std::vector<T>& r, int block = 512)
    {
        std::vector<T> ol(l.size()), orr(r.size());
        for (size_t at = 0; at < l.size(); at += static_cast<size_t>(block)) {
            const int n = static_cast<int>(std::min<size_t>(static_cast<size_t>(block), l.size() - at));
            T* in[2] = {const_cast<T*>(&l[at]), const_cast<T*>(&r[at])};
            T* out[2] = {&ol[at], &orr[at]};
            if constexpr (std::is_same_v<T, float>)
                fx.processReplacing(in, out, n);
            else
                fx.processDoubleReplacing(in, out, n);
        }
        return {{ol.begin(), ol.end()}, {orr.begin(), orr.end()}};
    }

    Sylvatone fx{nullptr};
};

