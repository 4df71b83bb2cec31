#include "engine/Oversampler.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

namespace {

std::vector<double> randomSignal(size_t n, unsigned seed)
{
    std::mt19937 rng(seed);
    std::uniform_real_distribution<double> dist(-1.0, 1.0);
    std::vector<double> x(n);
    for (double& v : x)
        v = dist(rng);
    return x;
}

// The interpolation written out sample by sample, history zero before x[0].
std::vector<double> plainUpsample(const std::vector<double>& x)
{
    const std::array<double, 64> g = upsamplerTaps();
    auto at = [&](long i) { return i < 0 ? 0.0 : x[static_cast<size_t>(i)]; };
    std::vector<double> y;
    for (long n = 0; n < static_cast<long>(x.size()); ++n) {
        double ya = 0.0;
        for (long m = 0; m <= 31; ++m)
            ya += g[2 * m + 1] * (at(n - 32 + m) + at(n - 33 - m));
        y.push_back(ya);
        y.push_back(g[0] * at(n - 32));
    }
    return y;
}

// Runs x through the upsampler (or the delay) in sub-blocks whose sizes come
// from sizes(), in place when asked.
template <class Sizes>
std::vector<double> runBlocks(const std::vector<double>& x, bool up, bool inPlace, Sizes sizes)
{
    Upsampler u;
    const int factor = up ? 2 : 1;
    std::vector<double> y;
    size_t pos = 0;
    while (pos < x.size()) {
        const int m = static_cast<int>(std::min<size_t>(sizes(), x.size() - pos));
        double in[Upsampler::kMaxBlock];
        double out[2 * Upsampler::kMaxBlock];
        std::copy(x.begin() + pos, x.begin() + pos + m, in);
        std::copy(in, in + m, out);
        const double* src = inPlace ? out : in;
        if (up)
            u.upsample(src, m, out);
        else
            u.delay(src, m, out);
        y.insert(y.end(), out, out + factor * m);
        pos += m;
    }
    return y;
}

} // namespace

TEST(UpsamplerTaps, MatchKnownValuesAndHalfBandShape)
{
    const std::array<double, 64> g = upsamplerTaps();
    EXPECT_EQ(g[0], 1.0);
    EXPECT_NEAR(g[1], 0.631076936, 5e-10);
    EXPECT_NEAR(g[3], -0.208846276, 5e-10);
    EXPECT_NEAR(g[5], 0.123509338, 5e-10);
    EXPECT_NEAR(g[7], -0.086323782, 5e-10);
    EXPECT_NEAR(g[31], -0.008079011, 5e-10);
    EXPECT_NEAR(g[61], 0.000021673, 5e-10);
    EXPECT_NEAR(g[63], -0.000000861, 5e-10);
    for (int i = 2; i < 64; i += 2)
        EXPECT_EQ(g[i], 0.0) << "even tap " << i;
    for (int i = 1; i < 64; i += 2) {
        EXPECT_NE(g[i], 0.0) << "odd tap " << i;
        // Odd taps alternate in sign: +, -, +, ...
        EXPECT_EQ(g[i] > 0, (i / 2) % 2 == 0) << "odd tap " << i;
    }
}

TEST(Oversampling, DecisionAndInternalRate)
{
    EXPECT_TRUE(oversamplingFor(44100));
    EXPECT_TRUE(oversamplingFor(64999));
    EXPECT_FALSE(oversamplingFor(65000));
    EXPECT_FALSE(oversamplingFor(96000));
    EXPECT_EQ(internalRateFor(44100), 88200);
    EXPECT_EQ(internalRateFor(64999), 129998);
    EXPECT_EQ(internalRateFor(65000), 65000);
    EXPECT_EQ(internalRateFor(192000), 192000);
}

// The upsampled impulse response is the whole symmetric tap sequence centred
// on output 65 (host sample 32, second of its pair), and decimating it gives
// back the impulse exactly 32 host samples late.
TEST(Upsampler, ImpulseResponseIsTheTapsAndDecimatesToA32SampleDelay)
{
    const std::array<double, 64> g = upsamplerTaps();
    std::vector<double> x(80, 0.0);
    x[0] = 1.0;
    const std::vector<double> z = runBlocks(x, true, false, [] { return 16; });
    ASSERT_EQ(z.size(), 160u);
    for (int i = 0; i < 160; ++i) {
        const int d = std::abs(i - 65);
        EXPECT_EQ(z[i], d < 64 ? g[d] : 0.0) << "output " << i;
    }

    std::vector<double> back(80);
    for (size_t b = 0; b < 80; b += 16)
        decimate(z.data() + 2 * b, 16, back.data() + b);
    for (int n = 0; n < 80; ++n)
        EXPECT_EQ(back[n], n == 32 ? 1.0 : 0.0) << "sample " << n;
}

TEST(Upsampler, InterpolatesHalfWayBetweenHostSamples)
{
    const std::array<double, 64> g = upsamplerTaps();
    double oddSum = 0.0;
    for (int m = 0; m <= 31; ++m)
        oddSum += g[2 * m + 1] * (1.0 + 1.0);

    // Constant 1: the on-instant samples are exactly 1, the in-between ones
    // settle at twice the sum of the odd taps once the history is full.
    const std::vector<double> ones(96, 1.0);
    const std::vector<double> y = runBlocks(ones, true, false, [] { return 16; });
    EXPECT_NEAR(oddSum, 0.99219, 1e-5);
    for (int n = 64; n < 96; ++n) {
        EXPECT_EQ(y[2 * n], oddSum) << "sample " << n;
        EXPECT_EQ(y[2 * n + 1], 1.0) << "sample " << n;
    }

    // A sine well inside the pass band: y_a lands on the sine at n - 32.5,
    // scaled by the same pass-band gain.
    const double w = 2 * 3.14159265358979323846 * 0.1;
    std::vector<double> s(200);
    for (size_t n = 0; n < s.size(); ++n)
        s[n] = std::sin(w * n);
    const std::vector<double> ys = runBlocks(s, true, false, [] { return 16; });
    for (int n = 100; n < 200; ++n)
        EXPECT_NEAR(ys[2 * n], oddSum * std::sin(w * (n - 32.5)), 1e-5) << "sample " << n;
}

TEST(Upsampler, DelayIsExactly32Samples)
{
    const std::vector<double> x = randomSignal(300, 1);
    const std::vector<double> y = runBlocks(x, false, false, [] { return 16; });
    for (size_t n = 0; n < x.size(); ++n)
        EXPECT_EQ(y[n], n < 32 ? 0.0 : x[n - 32]) << "sample " << n;
}

// Random sub-blocks of 0..16, in place or not, give the same samples as the
// formula evaluated one sample at a time.
TEST(Upsampler, AnySplitAndInPlaceMatchThePlainFormula)
{
    const std::vector<double> x = randomSignal(3000, 2);
    const std::vector<double> expectUp = plainUpsample(x);
    std::vector<double> expectDelay(x.size(), 0.0);
    for (size_t n = 32; n < x.size(); ++n)
        expectDelay[n] = x[n - 32];

    for (bool inPlace : {false, true}) {
        std::mt19937 rng(inPlace ? 3 : 4);
        std::uniform_int_distribution<int> size(0, Upsampler::kMaxBlock);
        auto sizes = [&] { return size(rng); };
        EXPECT_EQ(runBlocks(x, true, inPlace, sizes), expectUp) << "in place " << inPlace;
        EXPECT_EQ(runBlocks(x, false, inPlace, sizes), expectDelay) << "in place " << inPlace;
    }
}

TEST(Upsampler, ClearForgetsHistoryAndOversizedBlocksAreRefused)
{
    Upsampler u;
    std::vector<double> x = randomSignal(16, 5);
    double out[40];
    for (int b = 0; b < 4; ++b)
        u.upsample(x.data(), 16, out);

    u.clear();
    const std::vector<double> zeros(16, 0.0);
    u.upsample(zeros.data(), 16, out);
    for (int i = 0; i < 32; ++i)
        EXPECT_EQ(out[i], 0.0);

    // Too many samples: output untouched and history unchanged.
    std::vector<double> big = randomSignal(Upsampler::kMaxBlock + 1, 6);
    std::fill(out, out + 40, 7.0);
    u.upsample(big.data(), Upsampler::kMaxBlock + 1, out);
    u.delay(big.data(), -1, out);
    for (double v : out)
        EXPECT_EQ(v, 7.0);
    u.delay(zeros.data(), 16, out);
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(out[i], 0.0);
    for (int i = 16; i < 40; ++i)
        EXPECT_EQ(out[i], 7.0) << "guard " << i;
}
