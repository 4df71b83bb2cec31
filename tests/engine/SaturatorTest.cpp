#include "engine/Saturator.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <memory>
#include <random>
#include <vector>

namespace {

const double kRates[] = {44100, 48000, 88200, 96000, 192000};
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

// Output peak for a sine of amplitude a, 40 samples a period so that every
// crest falls on a sample, once the window has filled.
double sinePeakOut(double rate, double a)
{
    auto sat = std::make_unique<Saturator>();
    sat->configure(rate);
    std::vector<double> x(3200);
    for (size_t i = 0; i < x.size(); ++i)
        x[i] = a * std::sin(2 * 3.14159265358979323846 / 40 * i);
    sat->processMono(x.data(), static_cast<int>(x.size()), true);
    double peak = 0.0;
    for (size_t i = 400; i < x.size(); ++i)
        peak = std::max(peak, std::fabs(x[i]));
    return peak;
}

} // namespace

TEST(Saturator, WindowLengthsAndLatencies)
{
    const int lengths[] = {29, 33, 59, 65, 129};
    const float latencies[] = {46, 48, 61, 64, 96};
    auto sat = std::make_unique<Saturator>();
    for (int i = 0; i < 5; ++i) {
        sat->configure(kRates[i]);
        const int n = sat->length();
        EXPECT_EQ(n, lengths[i]);
        EXPECT_EQ(sat->latencySamples(), (n - 1) / 2);
        EXPECT_EQ(latencyFor(kRates[i]), latencies[i]);
        EXPECT_EQ(sat->window((n - 1) / 2), 1.0);
        EXPECT_EQ(sat->window(0), sat->window(n - 1));
    }
    EXPECT_EQ(satLengthFor(45000), 31);
    for (double absurd : {0.0, -44100.0, kNaN})
        EXPECT_EQ(satLengthFor(absurd), 1) << absurd;
    EXPECT_EQ(satLengthFor(kInf), 1023);

    EXPECT_NEAR(latencyMs(44100), 1.0431, 5e-5);
    EXPECT_FLOAT_EQ(latencyMs(200000), latencyFor(200000) * 1000.0 / 200000);
    EXPECT_FLOAT_EQ(latencyMs(250000), latencyFor(250000) * 1000.0 / 44100);
    EXPECT_FLOAT_EQ(latencyMs(8000), latencyFor(8000) * 1000.0 / 44100);
}

// Switched off, each channel is its own input (N - 1) / 2 samples late.
TEST(Saturator, OffIsAPureDelayPerChannel)
{
    auto sat = std::make_unique<Saturator>();
    for (double rate : kRates) {
        sat->configure(rate);
        const size_t d = (satLengthFor(rate) - 1) / 2;
        std::vector<double> l(600), r(600);
        for (size_t i = 0; i < l.size(); ++i) {
            l[i] = 1.0 + i;
            r[i] = -1.0 - i;
        }
        sat->processStereo(l.data(), r.data(), 600, false);
        for (size_t i = 0; i < l.size(); ++i) {
            ASSERT_EQ(l[i], i < d ? 0.0 : 1.0 + (i - d)) << rate << " " << i;
            ASSERT_EQ(r[i], i < d ? 0.0 : -1.0 - (i - d)) << rate << " " << i;
        }
    }
}

TEST(Saturator, SteadySinePeakFollowsTheGainLaw)
{
    for (double rate : {44100.0, 96000.0}) {
        for (double a : {0.25, 1.0, 1.4})
            EXPECT_NEAR(sinePeakOut(rate, a), a - 0.15 * a * a * a, 1e-12) << rate << " A " << a;
        for (double a : {2.0, 8.0})
            EXPECT_NEAR(sinePeakOut(rate, a), 0.993807, 1e-12) << rate << " A " << a;
    }
    // The two branches meet at the knee.
    EXPECT_NEAR(sinePeakOut(44100, 1.490525), sinePeakOut(44100, 1.490527), 1e-6);
}

// Against the plain step, bit for bit: random levels with spikes beyond the
// knee, silence, the odd infinity or NaN, switching on and off at random (so
// stale magnitudes get used), stereo and mono blocks of random length, window
// lengths 1 to 1023. Reusing one object checks that configure() clears it.
TEST(Saturator, MatchesThePlainStep)
{
    std::mt19937 rng(7);
    std::uniform_real_distribution<double> level(-1.2, 1.2);
    std::uniform_int_distribution<int> len(0, 40), pick(0, 9), rare(0, 2000);
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
}
