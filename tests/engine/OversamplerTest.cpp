#include "engine/Oversampler.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <random>
#include <vector>

namespace {

// Runs x through one upsampler (or its delay) in sub-blocks of the sizes
// next() gives, in place when asked.
template <class Next>
std::vector<double> run(Upsampler& u, const std::vector<double>& x, bool up, bool inPlace, Next next)
{
    std::vector<double> y;
    for (size_t pos = 0; pos < x.size();) {
        const int m = static_cast<int>(std::min<size_t>(next(), x.size() - pos));
        double in[16], out[32];
        std::copy(x.begin() + pos, x.begin() + pos + m, in);
        std::copy(in, in + m, out);
        up ? u.upsample(inPlace ? out : in, m, out) : u.delay(inPlace ? out : in, m, out);
        y.insert(y.end(), out, out + (up ? 2 : 1) * m);
        pos += m;
    }
    return y;
}

auto sixteen = [] { return 16; };

} // namespace

TEST(Upsampler, TapsAndRateDecision)
{
    const std::array<double, 64> g = upsamplerTaps();
    const std::pair<int, double> known[] = {{1, 0.631076936},  {3, -0.208846276},  {5, 0.123509338},
                                            {7, -0.086323782}, {31, -0.008079011}, {61, 0.000021673},
                                            {63, -0.000000861}};
    for (auto [i, v] : known)
        EXPECT_NEAR(g[i], v, 5e-10) << "tap " << i;
    EXPECT_EQ(g[0], 1.0);
    for (int i = 2; i < 64; i += 2)
        EXPECT_EQ(g[i], 0.0) << "tap " << i;
    // Twice the odd-tap sum: where a constant 1 settles between host samples.
    double oddSum = 0.0;
    for (int m = 0; m <= 31; ++m)
        oddSum += g[2 * m + 1] * (1.0 + 1.0);
    EXPECT_NEAR(oddSum, 0.99219, 1e-5);

    EXPECT_TRUE(oversamplingFor(64999));
    EXPECT_FALSE(oversamplingFor(65000));
    EXPECT_EQ(internalRateFor(64999), 129998);
    EXPECT_EQ(internalRateFor(65000), 65000);
}

// After clear(), an impulse comes out as the whole symmetric tap sequence
// centred on output 65 (host sample 32, second of its pair); decimated, it is
// the impulse again exactly 32 host samples late.
TEST(Upsampler, ImpulseAfterClearGivesTheTapsAnd32SampleDelay)
{
    const std::array<double, 64> g = upsamplerTaps();
    Upsampler u;
    run(u, std::vector<double>(40, 0.7), true, false, sixteen);
    u.clear();
    std::vector<double> x(80, 0.0);
    x[0] = 1.0;
    const std::vector<double> z = run(u, x, true, false, sixteen);
    for (int i = 0; i < 160; ++i)
        EXPECT_EQ(z[i], std::abs(i - 65) < 64 ? g[std::abs(i - 65)] : 0.0) << "output " << i;

    std::vector<double> back(80);
    for (int b = 0; b < 80; b += 16)
        decimate(z.data() + 2 * b, 16, back.data() + b);
    for (int n = 0; n < 80; ++n)
        EXPECT_EQ(back[n], n == 32 ? 1.0 : 0.0) << "sample " << n;
}

// Random sub-blocks of 0..16, in place or not, equal the formula evaluated
// sample by sample (same summation order, so bit for bit), and the delay is
// exactly 32 samples.
TEST(Upsampler, AnySplitMatchesThePlainFormula)
{
    std::mt19937 rng(1);
    std::uniform_real_distribution<double> level(-1.0, 1.0);
    std::vector<double> x(3000);
    for (double& v : x)
        v = level(rng);

    const std::array<double, 64> g = upsamplerTaps();
    auto at = [&](long i) { return i < 0 ? 0.0 : x[i]; };
    std::vector<double> expectUp, expectDelay;
    for (long n = 0; n < static_cast<long>(x.size()); ++n) {
        double ya = 0.0;
        for (long m = 0; m <= 31; ++m)
            ya += g[2 * m + 1] * (at(n - 32 + m) + at(n - 33 - m));
        expectUp.insert(expectUp.end(), {ya, g[0] * at(n - 32)});
        expectDelay.push_back(at(n - 32));
    }

    std::uniform_int_distribution<int> size(0, Upsampler::kMaxBlock);
    auto next = [&] { return size(rng); };
    for (bool inPlace : {false, true}) {
        Upsampler up, plain;
        EXPECT_EQ(run(up, x, true, inPlace, next), expectUp) << "in place " << inPlace;
        EXPECT_EQ(run(plain, x, false, inPlace, next), expectDelay) << "in place " << inPlace;
    }
}
