// Test signals and measurements shared by the engine's and the effect's tests.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

struct Stereo {
    std::vector<double> left, right;
};

inline std::vector<double> sine(size_t length, double freq, double rate = 44100.0, double amp = 1.0)
{
    std::vector<double> x(length);
    for (size_t i = 0; i < length; ++i)
        x[i] = amp * std::sin(2.0 * M_PI * freq * static_cast<double>(i) / rate);
    return x;
}

inline double peakAbs(const std::vector<double>& x, size_t from = 0, size_t to = SIZE_MAX)
{
    double p = 0.0;
    for (size_t i = from; i < std::min(to, x.size()); ++i)
        p = std::max(p, std::fabs(x[i]));
    return p;
}
