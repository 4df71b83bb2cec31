#include "engine/Latency.h"
#include "engine/Saturator.h"
#include "tests/engine/Widths.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <memory>
#include <random>
#include <vector>

namespace {

const double kNaN = std::numeric_limits<double>::quiet_NaN();
const double kInf = std::numeric_limits<double>::infinity();

// The stage one step at a time: rings indexed by the write position, the
// window searched term by term.
struct PlainSaturator {
    int n;
    std::vector<double> window;
    double ring[2][1024] = {}, mag[2][1024] = {};
    int p = 1023;

    explicit PlainSaturator(double rate) : n(satLengthFor(rate))
    {
        for (int k = 0; k < n; ++k)
            window.push_back(std::pow(0.5 + 0.5 * std::cos(2 * 3.1415 * (k - n / 2) / n), 0.7071));
    }

    double step(int c, double s, bool on)
    {
        ring[c][p] = s;
        const double delayed = ring[c][(p - n / 2 + 1024) % 1024];
        if (!on)
            return delayed;
        mag[c][p] = std::fabs(s);
        double peak = 0.0;
        for (int k = 0; k < n; ++k)
            peak = std::max(peak, window[k] * mag[c][(p - k + 1024) % 1024]);
        return (peak < 1.490526 ? 1 - 0.15 * (peak * peak) : 0.993807 / peak) * delayed;
    }
};

bool sameBits(const std::vector<double>& a, const std::vector<double>& b)
{
    return a.size() == b.size() && (a.empty() || !std::memcmp(a.data(), b.data(), a.size() * sizeof(double)));
}

} // namespace

TEST(Saturator, WindowLengthsAndLatencies)
{
    const struct {
        double rate;
        int length;
        float latency;
    } cases[] = {{44100, 29, 46}, {48000, 33, 48}, {88200, 59, 61}, {96000, 65, 64}, {192000, 129, 96},
                 {45000, 31, 47}, {0, 1, 32}, {-44100, 1, 32}, {kNaN, 1, 32}, {kInf, 1023, 543}};
    for (const auto& c : cases) {
        EXPECT_EQ(satLengthFor(c.rate), c.length) << c.rate;
        EXPECT_EQ(latencyFor(c.rate), c.latency) << c.rate;
    }
    EXPECT_NEAR(latencyMs(44100), 1.0431, 5e-5);
    EXPECT_FLOAT_EQ(latencyMs(250000), latencyFor(250000) * 1000.0 / 44100);  // out of range: at 44100
}

// Against the plain step, bit for bit, at every vector width (so the gain law
// and the windowed peak search both; the law at the engine: ProcessingTest):
// random levels with spikes beyond the knee, silence, the odd infinity or
// NaN, switching on and off at random (so stale magnitudes get used), stereo
// and mono blocks of random length up to the longest, across the ring's
// wrap, window lengths 1 to 1023. Reusing one object checks that configure()
// clears it.
TEST(Saturator, MatchesThePlainStep)
{
    atEveryWidth([](SimdWidth) {
        std::mt19937 rng(7);
        std::uniform_real_distribution<double> level(-1.2, 1.2);
        std::uniform_int_distribution<int> len(0, Saturator::kMaxBlock), pick(0, 9), rare(0, 2000);
        auto sample = [&] {
            const int odd = rare(rng), kind = pick(rng);
            return odd == 0 ? kNaN : odd == 1 ? -kInf : kind == 0 ? 0.0 : kind == 1 ? 6 * level(rng) : level(rng);
        };
        auto sat = std::make_unique<Saturator>();
        for (double rate : {1000.0, 44100.0, 48000.0, 88200.0, 192000.0, 2e6}) {
            sat->configure(rate);
            auto ref = std::make_unique<PlainSaturator>(rate);
            for (int k = 0; k < ref->n; ++k)
                ASSERT_EQ(sat->window(k), ref->window[k]) << rate << " k " << k;

            for (int block = 0; block < 400; ++block) {
                const int m = len(rng);
                const bool on = pick(rng) < 7, stereo = pick(rng) < 7;
                std::vector<double> l(m), r(m), el(m), er(m);
                for (int i = 0; i < m; ++i) {
                    l[i] = sample();
                    r[i] = sample();
                    el[i] = ref->step(0, l[i], on);
                    er[i] = stereo ? ref->step(1, r[i], on) : r[i];
                    ref->p = (ref->p + 1) % 1024;
                }
                stereo ? sat->processStereo(l.data(), r.data(), m, on) : sat->processMono(l.data(), m, on);
                ASSERT_TRUE(sameBits(l, el)) << rate << " block " << block;
                ASSERT_TRUE(sameBits(r, er)) << rate << " block " << block;
            }
        }
    });
}
