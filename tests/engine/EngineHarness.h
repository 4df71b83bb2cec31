// Drives a Sylvatone instance without a host: rate, resume, and blocks of
// audio through the host's processing entries.
#pragma once

#include <cmath>
#include <vector>

#include "engine/Sylvatone.h"

struct Stereo {
    std::vector<double> left, right;
};

class EngineHarness {
public:
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

    // Runs the signal through the 64-bit stereo entry in blocks of block.
    Stereo runDouble(const std::vector<double>& l, const std::vector<double>& r, int block = 512)
    {
        Stereo out{std::vector<double>(l.size()), std::vector<double>(r.size())};
        for (size_t at = 0; at < l.size(); at += static_cast<size_t>(block)) {
            int n = static_cast<int>(std::min<size_t>(static_cast<size_t>(block), l.size() - at));
            double* in[2] = {const_cast<double*>(l.data() + at), const_cast<double*>(r.data() + at)};
            double* o[2] = {out.left.data() + at, out.right.data() + at};
            fx.processDoubleReplacing(in, o, n);
        }
        return out;
    }

    Stereo runFloat(const std::vector<float>& l, const std::vector<float>& r, int block = 512)
    {
        std::vector<float> ol(l.size()), orr(r.size());
        for (size_t at = 0; at < l.size(); at += static_cast<size_t>(block)) {
            int n = static_cast<int>(std::min<size_t>(static_cast<size_t>(block), l.size() - at));
            float* in[2] = {const_cast<float*>(l.data() + at), const_cast<float*>(r.data() + at)};
            float* o[2] = {ol.data() + at, orr.data() + at};
            fx.processReplacing(in, o, n);
        }
        return {std::vector<double>(ol.begin(), ol.end()), std::vector<double>(orr.begin(), orr.end())};
    }

    std::vector<double> impulse(size_t length, size_t at = 0)
    {
        std::vector<double> x(length, 0.0);
        x[at] = 1.0;
        return x;
    }

    static std::vector<double> sine(size_t length, double freq, double rate, double amp = 1.0)
    {
        std::vector<double> x(length);
        for (size_t i = 0; i < length; ++i)
            x[i] = amp * std::sin(2.0 * M_PI * freq * static_cast<double>(i) / rate);
        return x;
    }

    Sylvatone fx{nullptr};
};

inline double peakAbs(const std::vector<double>& x, size_t from = 0, size_t to = SIZE_MAX)
{
    double p = 0.0;
    for (size_t i = from; i < std::min(to, x.size()); ++i)
        p = std::max(p, std::fabs(x[i]));
    return p;
}

inline size_t argPeak(const std::vector<double>& x)
{
    size_t at = 0;
    for (size_t i = 1; i < x.size(); ++i)
        if (std::fabs(x[i]) > std::fabs(x[at]))
            at = i;
    return at;
}
