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

constexpr double kRates[] = {44100, 48000, 88200, 96000, 192000};

// The stage written out one step at a time: rings indexed by the write
// position, window searched term by term.
struct PlainSaturator {
    int n;
    std::vector<double> window;
    double ring[2][1024] = {};
    double mag[2][1024] = {};
    int index = 1023;

    explicit PlainSaturator(double rate) : n(satLengthFor(rate)), window(n)
    {
        for (int k = 0; k < n; ++k)
            window[k] = std::pow(0.5 + 0.5 * std::cos(2 * 3.1415 * (k - n / 2) / n), 0.7071);
    }

    double step(int c, double s, bool on)
    {
        const int p = index;
        ring[c][p] = s;
        if (on)
            mag[c][p] = std::fabs(s);
        const int q = ((p - n / 2) % 1024 + 1024) % 1024;
        if (!on)
            return ring[c][q];
        double peak = 0.0;
        for (int k = 0; k < n; ++k) {
            const double v = window[k] * mag[c][((p - k) % 1024 + 1024) % 1024];
            if (v > peak)
                peak = v;
        }
        const double gain = peak < 1.490526 ? 1 - 0.15 * (peak * peak) : 0.993807 / peak;
        return gain * ring[c][q];
    }

    void advance() { index = (index + 1) % 1024; }
};

bool sameBits(const std::vector<double>& a, const std::vector<double>& b)
{
    return a.size() == b.size()
        && (a.empty() || std::memcmp(a.data(), b.data(), a.size() * sizeof(double)) == 0);
}

// Peak of the output of a sine of amplitude a with 40 samples per period, so
// that every crest falls on a sample, once the window has filled.
double sinePeakOut(double rate, double a)
{
    auto sat = std::make_unique<Saturator>();
    sat->configure(rate);
    const double w = 2 * 3.14159265358979323846 / 40;
    double peak = 0.0;
    std::vector<double> x(16);
    for (int b = 0; b < 200; ++b) {
        for (int i = 0; i < 16; ++i)
            x[i] = a * std::sin(w * (16 * b + i));
        sat->processMono(x.data(), 16, true);
        if (b >= 20)
            for (double v : x)
                peak = std::max(peak, std::fabs(v));
    }
    return peak;
}

} // namespace

TEST(SaturatorWindow, LengthPerRate)
{
    const int expected[] = {29, 33, 59, 65, 129};
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(satLengthFor(kRates[i]), expected[i]) << kRates[i];
    EXPECT_EQ(satLengthFor(45000), 31);   // 30, made odd
    EXPECT_EQ(satLengthFor(46499), 31);
    // Absurd and invalid rates stay within the rings.
    EXPECT_EQ(satLengthFor(1000), 1);
    EXPECT_EQ(satLengthFor(0), 1);
    EXPECT_EQ(satLengthFor(-44100), 1);
    EXPECT_EQ(satLengthFor(std::numeric_limits<double>::quiet_NaN()), 1);
    EXPECT_EQ(satLengthFor(1e12), 1023);
    EXPECT_EQ(satLengthFor(std::numeric_limits<double>::infinity()), 1023);
}

TEST(SaturatorWindow, SymmetricRisingToOneAtTheCentre)
{
    auto sat = std::make_unique<Saturator>();
    for (double rate : kRates) {
        sat->configure(rate);
        const int n = sat->length();
        ASSERT_EQ(n, satLengthFor(rate));
        EXPECT_EQ(sat->latencySamples(), (n - 1) / 2);
        EXPECT_EQ(sat->window((n - 1) / 2), 1.0) << rate;
        for (int k = 0; k < n; ++k) {
            EXPECT_EQ(sat->window(k), sat->window(n - 1 - k)) << rate << " k " << k;
            EXPECT_GT(sat->window(k), 0.0);
            if (k > 0 && k <= (n - 1) / 2) {
                EXPECT_GT(sat->window(k), sat->window(k - 1)) << rate << " k " << k;
            }
        }
    }
}

TEST(SaturatorLatency, SamplesAndMilliseconds)
{
    const float expected[] = {46, 48, 61, 64, 96};
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(latencyFor(kRates[i]), expected[i]) << kRates[i];
    EXPECT_NEAR(latencyMs(44100), 1.0431, 5e-5);
    EXPECT_FLOAT_EQ(latencyMs(96000), 64 * 1000.0 / 96000);
    // Out of the 20000 .. 200000 Hz range the conversion uses 44100 Hz.
    EXPECT_FLOAT_EQ(latencyMs(250000), latencyFor(250000) * 1000.0 / 44100);
    EXPECT_FLOAT_EQ(latencyMs(8000), latencyFor(8000) * 1000.0 / 44100);
    EXPECT_FLOAT_EQ(latencyMs(200000), latencyFor(200000) * 1000.0 / 200000);
}

// Switched off, each channel comes out as its own input, (N - 1) / 2 late.
TEST(Saturator, OffIsAPureDelayPerChannel)
{
    auto sat = std::make_unique<Saturator>();
    for (double rate : kRates) {
        sat->configure(rate);
        const int d = (satLengthFor(rate) - 1) / 2;
        std::vector<double> l(1500), r(1500), mono(1500);
        for (size_t i = 0; i < l.size(); ++i) {
            l[i] = 0.001 * i + 1;
            r[i] = -0.002 * i - 1;
            mono[i] = std::sin(0.01 * i);
        }
        std::vector<double> lo = l, ro = r, mo = mono;
        for (size_t b = 0; b < l.size(); b += 15)
            sat->processStereo(lo.data() + b, ro.data() + b, 15, false);
        for (size_t i = 0; i < l.size(); ++i) {
            ASSERT_EQ(lo[i], i < size_t(d) ? 0.0 : l[i - d]) << rate << " left " << i;
            ASSERT_EQ(ro[i], i < size_t(d) ? 0.0 : r[i - d]) << rate << " right " << i;
        }

        sat->configure(rate);
        sat->processMono(mo.data(), static_cast<int>(mo.size()), false);
        for (size_t i = 0; i < mono.size(); ++i)
            ASSERT_EQ(mo[i], i < size_t(d) ? 0.0 : mono[i - d]) << rate << " mono " << i;
    }
}

TEST(Saturator, SteadySinePeakFollowsTheGainLaw)
{
    for (double rate : {44100.0, 96000.0}) {
        for (double a : {0.25, 0.5, 1.0, 1.4})
            EXPECT_NEAR(sinePeakOut(rate, a), a - 0.15 * a * a * a, 1e-12) << rate << " A " << a;
        EXPECT_NEAR(sinePeakOut(rate, 1.0), 0.85, 1e-12);
        for (double a : {2.0, 8.0})
            EXPECT_NEAR(sinePeakOut(rate, a), 0.993807, 1e-12) << rate << " A " << a;
    }
    // The two branches meet at the knee.
    EXPECT_NEAR(sinePeakOut(44100, 1.490525), sinePeakOut(44100, 1.490527), 1e-6);
}

// The stage against the plain version: random signals with spikes beyond the
// knee, silence, the odd infinity or NaN, switching on and off at random (so
// stale magnitudes are used), stereo and mono blocks of random length, all
// bit-for-bit equal. Window lengths cover 1, short tails and the full ring.
TEST(Saturator, MatchesThePlainStepBitForBit)
{
    std::mt19937 rng(7);
    std::uniform_real_distribution<double> level(-1.2, 1.2);
    std::uniform_int_distribution<int> len(0, 40), pick(0, 9), rare(0, 2000);
    auto sat = std::make_unique<Saturator>();
    for (double rate : {1000.0, 44100.0, 48000.0, 88200.0, 192000.0, 2e6}) {
        sat->configure(rate);
        auto ref = std::make_unique<PlainSaturator>(rate);
        ASSERT_EQ(sat->length(), ref->n);
        for (int k = 0; k < ref->n; ++k)
            ASSERT_EQ(sat->window(k), ref->window[k]) << rate << " k " << k;

        auto sample = [&]() {
            const int odd = rare(rng);
            if (odd == 0)
                return std::numeric_limits<double>::quiet_NaN();
            if (odd == 1)
                return -std::numeric_limits<double>::infinity();
            const int kind = pick(rng);
            return kind == 0 ? 0.0 : kind == 1 ? 6 * level(rng) : level(rng);
        };
        for (int block = 0; block < 400; ++block) {
            const int m = len(rng);
            const bool on = pick(rng) < 7;
            const bool stereo = pick(rng) < 7;
            std::vector<double> l(m), r(m), el(m), er(m);
            for (int i = 0; i < m; ++i) {
                l[i] = sample();
                r[i] = sample();
            }
            for (int i = 0; i < m; ++i) {
                el[i] = ref->step(0, l[i], on);
                if (stereo)
                    er[i] = ref->step(1, r[i], on);
                ref->advance();
            }
            if (stereo)
                sat->processStereo(l.data(), r.data(), m, on);
            else
                sat->processMono(l.data(), m, on);
            ASSERT_TRUE(sameBits(l, el)) << rate << " block " << block;
            if (stereo) {
                ASSERT_TRUE(sameBits(r, er)) << rate << " block " << block;
            }
        }
        EXPECT_EQ(sat->writeIndex(), ref->index);
    }
}

TEST(Saturator, ConfigureClearsTheRings)
{
    auto sat = std::make_unique<Saturator>();
    sat->configure(48000);
    std::vector<double> l(100, 0.9), r(100, -0.9);
    sat->processStereo(l.data(), r.data(), 100, true);
    sat->configure(48000);
    EXPECT_EQ(sat->writeIndex(), 1023);

    // Silence after the reset: nothing of the old signal comes out.
    std::vector<double> z(100, 0.0), z2(100, 0.0);
    sat->processStereo(z.data(), z2.data(), 100, false);
    for (int i = 0; i < 100; ++i) {
        EXPECT_EQ(z[i], 0.0);
        EXPECT_EQ(z2[i], 0.0);
    }
    // Old magnitudes are gone too: a lone small sample is not pulled down by
    // the 0.9 that preceded the reset.
    std::vector<double> one(40, 0.0), other(40, 0.0);
    one[0] = 0.1;
    sat->processStereo(one.data(), other.data(), 40, true);
    EXPECT_EQ(one[16], 0.1 * (1 - 0.15 * (0.1 * 0.1)));
}
