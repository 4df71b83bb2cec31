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
    auto given = [&](double p) { return u(rng) < p; };
    const int types[] = {Filter::kHighPass, Filter::kLowShelf, Filter::kPeaking, Filter::kHighShelf};
    Filter a(88200.0, Filter::kPeaking, 1000.0, 1.0, 0.0), b = a;
    std::vector<double> xa(64), xb(64);
    for (int round = 0; round < 400; ++round) {
        // Each field given or left out at random, values sometimes out of range.
        Filter::Settings s;
        if (given(0.5))
            s.type = types[static_cast<int>(u(rng) * 3.99)];
        if (given(0.5))
            s.status = given(0.3) ? 0 : (given(0.5) ? 1 : 2);
        if (given(0.6))
            s.freq = given(0.1) ? 90000.0 : 20.0 * std::pow(1000.0, u(rng));
        if (given(0.6))
            s.q = given(0.1) ? 5000.0 : 0.1 + 4.0 * u(rng);
        if (given(0.6))
            s.gain = given(0.05) ? NAN : 30.0 * u(rng) - 15.0;
        if (round % 50 == 0) {
            a.finishGlide(round % 100 == 0);
            b.finishGlide(round % 100 == 0);
        }
        a.apply(s);
        if (s.type)
            b.setType(*s.type);
        if (s.status)
            b.setStatus(*s.status);
        b.setFreq(s.freq);  // NaN: not given, ignored like a NaN argument
        b.setQ(s.q);
        b.setGain(s.gain);

        EXPECT_TRUE(a.getFreq() == b.getFreq() && a.getQ() == b.getQ() && a.getStatus() == b.getStatus());
        EXPECT_EQ(a.rampRemaining(), b.rampRemaining());
        for (size_t i = 0; i < xa.size(); ++i)
            xa[i] = xb[i] = std::sin(0.3 * (round * 64 + static_cast<int>(i)));
        a.processFrame(xa.data(), 1 + round % 64);
        b.processFrame(xb.data(), 1 + round % 64);
        ASSERT_EQ(xa, xb) << "round " << round;
    }
}
