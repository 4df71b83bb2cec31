#include "engine/Oversampler.h"
#include "tests/engine/Widths.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
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
        double in[Upsampler::kMaxBlock], out[2 * Upsampler::kMaxBlock];
        std::copy(x.begin() + pos, x.begin() + pos + m, in);
        std::copy(in, in + m, out);
        up ? u.upsample(inPlace ? out : in, m, out) : u.delay(inPlace ? out : in, m, out);
        y.insert(y.end(), out, out + (up ? 2 : 1) * m);
        pos += m;
    }
    return y;
}

} // namespace

// The taps at known points, zero at even ones but the centre. (The rate
// decision: ProcessingTest.)
TEST(Upsampler, Taps)
{
    const std::array<double, 64> g = upsamplerTaps();
    const std::pair<int, double> known[] = {{1, 0.631076936},  {3, -0.208846276},  {5, 0.123509338},
                                            {7, -0.086323782}, {31, -0.008079011}, {61, 0.000021673},
                                            {63, -0.000000861}};
    for (auto [i, v] : known)
        EXPECT_NEAR(g[i], v, 5e-10) << "tap " << i;
    double oddSum = 0.0;  // twice its sum: where a constant 1 settles between host samples
    for (int i = 0; i < 64; ++i) {
        EXPECT_TRUE(i % 2 || g[i] == (i ? 0.0 : 1.0)) << "tap " << i;
        oddSum += i % 2 ? 2 * g[i] : 0.0;
    }
    EXPECT_NEAR(oddSum, 0.99219, 1e-5);
}

// After clear(), random sub-blocks of 0..64, in place or not, equal the
// formula evaluated sample by sample at every vector width (same summation
// order, so bit for bit); the delay, and the upsampled signal decimated, are
// the input exactly 32 samples late.
TEST(Upsampler, AnySplitMatchesThePlainFormula)
{
    std::mt19937 rng(1);
    std::uniform_real_distribution<double> level(-1.0, 1.0);
    std::vector<double> x(3000), back(3000);
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
    atEveryWidth([&](SimdWidth) {
        for (bool inPlace : {false, true}) {
            Upsampler up, plain;
            run(up, std::vector<double>(40, 0.7), true, false, next);
            up.clear();
            const std::vector<double> y = run(up, x, true, inPlace, next);
            EXPECT_EQ(y, expectUp) << "in place " << inPlace;
            EXPECT_EQ(run(plain, x, false, inPlace, next), expectDelay) << "in place " << inPlace;
            for (size_t b = 0; b < x.size(); b += 8)
                decimate(y.data() + 2 * b, 8, back.data() + b);
            EXPECT_EQ(back, expectDelay) << "in place " << inPlace;
        }
    });
}
