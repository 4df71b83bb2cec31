// Several settings applied at once must leave a filter exactly as the same
// setters called one after another would: same response, same glide.
#include <cmath>
#include <random>
#include <vector>

#include <gtest/gtest.h>

#include "engine/Filter.h"

TEST(FilterApply, EqualsTheSettersOneByOne)
{
    std::mt19937 rng(5);
    std::uniform_real_distribution<double> u(0.0, 1.0);
    const int types[] = {1, 3, 4, 7};
    Filter a(88200.0, 4, 1000.0, 1.0, 0.0), b = a;
    std::vector<double> xa(64), xb(64);
    for (int round = 0; round < 400; ++round) {
        Filter::Settings s;
        // Each field given or left out at random, values sometimes out of range.
        if (u(rng) < 0.5)
            s.type = types[static_cast<int>(u(rng) * 3.99)];
        if (u(rng) < 0.5)
            s.status = u(rng) < 0.3 ? 0 : (u(rng) < 0.5 ? 1 : 2);
        if (u(rng) < 0.6)
            s.freq = u(rng) < 0.1 ? 90000.0 : 20.0 * std::pow(1000.0, u(rng));
        if (u(rng) < 0.6)
            s.q = u(rng) < 0.1 ? 5000.0 : 0.1 + 4.0 * u(rng);
        if (u(rng) < 0.6)
            s.gain = u(rng) < 0.05 ? NAN : 30.0 * u(rng) - 15.0;
        if (round % 50 == 0) {
            a.suspend(round % 100 == 0);
            b.suspend(round % 100 == 0);
        }
        a.apply(s);
        if (s.type)
            b.setType(*s.type);
        if (s.status)
            b.setStatus(*s.status);
        b.setFreq(s.freq);  // NaN: not given, ignored like a NaN argument
        b.setQ(s.q);
        b.setGain(s.gain);

        EXPECT_EQ(a.getFreq(), b.getFreq());
        EXPECT_EQ(a.getQ(), b.getQ());
        EXPECT_EQ(a.getStatus(), b.getStatus());
        EXPECT_EQ(a.rampRemaining(), b.rampRemaining());
        for (size_t i = 0; i < xa.size(); ++i)
            xa[i] = xb[i] = std::sin(0.3 * (round * 64 + static_cast<int>(i)));
        const int n = 1 + round % 64;
        a.processFrame(xa.data(), n);
        b.processFrame(xb.data(), n);
        ASSERT_EQ(xa, xb) << "round " << round;
    }
}
