// Band design: the settings each band gives its filters, and the measured
// response of the whole engine against the one the filter coefficients define.
#include <cmath>
#include <complex>
#include <initializer_list>
#include <utility>

#include <gtest/gtest.h>

#include "EngineHarness.h"

namespace {

struct Setting { int type, status; double freq, q, gain; };

void expectFilter(const Filter& f, const Setting& s, const char* what)
{
    EXPECT_EQ(f.getStatus() != 0, s.status != 0) << what;
    if (!s.status)
        return;
    EXPECT_EQ(f.getType(), s.type) << what;
    EXPECT_NEAR(f.getFreq(), s.freq, 1e-9) << what;
    EXPECT_NEAR(f.getQ(), s.q, 1e-9) << what;
    EXPECT_NEAR(f.getGain(), s.gain, 1e-9) << what;
}

void set(EngineHarness& h, std::initializer_list<std::pair<int, float>> values)
{
    for (auto [index, value] : values)
        h.fx.setParameter(index, value);
    h.fx.applyPendingUpdates();
}

// Gain value from dB: 0.5 dB steps over 0..1.
float gainParam(double dB) { return static_cast<float>((dB + 15.0) / 30.0); }

// |H| of one biquad at frequency f for a rate fs, from its coefficients.
double magnitude(const Filter& filter, double f, double fs)
{
    if (filter.getStatus() == 0)
        return 1.0;
    const Filter::Coefficients c = filter.getDestination();
    const std::complex<double> z = std::polar(1.0, -2.0 * M_PI * f / fs);
    return std::abs((c.b0 + c.b1 * z + c.b2 * z * z) / (1.0 + c.a1 * z + c.a2 * z * z));
}

// The engine's measured magnitude at f (sine in, steady-state RMS ratio).
double measured(EngineHarness& h, double f)
{
    const size_t n = 26460;
    auto x = sine(n, f, 44100.0, 0.25);
    Stereo y = h.run(x, x);
    double rmsIn = 0, rmsOut = 0;
    for (size_t i = n / 2; i < n; ++i) {
        rmsIn += x[i - 46] * x[i - 46];
        rmsOut += y.left[i] * y.left[i];
    }
    return std::sqrt(rmsOut / rmsIn);
}

}  // namespace

TEST(BandDesign, LowCutFollowsMasterAndChannelSwitches)
{
    EngineHarness h;
    const struct { float x; double cutoff, q; } steps[] = {
        {0.0f, 2.13, 0.5}, {0.1f, 14.2, 0.6}, {0.2f, 24.85, 0.6}, {0.3f, 35.5, 0.705}, {1.0f, 177.5, 0.705}};
    for (const auto& s : steps) {
        set(h, {{kParamHpfFreq, s.x}});
        expectFilter(h.fx.channel(0).lowCut, {1, 1, s.cutoff, s.q, 0.0}, "low cut");
    }
    set(h, {{kParamLsr, 0.0f}});
    EXPECT_NE(h.fx.channel(0).lowCut.getStatus(), 0);
    EXPECT_EQ(h.fx.channel(1).lowCut.getStatus(), 0);
    EXPECT_NE(h.fx.channel(1).lfMain.getStatus(), 0);  // bands keep their settings
    set(h, {{kParamEqAll, 0.0f}});
    EXPECT_EQ(h.fx.channel(0).lowCut.getStatus(), 0);
    EXPECT_NE(h.fx.channel(0).hmfMain.getStatus(), 0);
}

TEST(BandDesign, MeasuredResponseMatchesTheCoefficients)
{
    // Each band alone, the others flat; the engine's measured gain against
    // the product of the band's two filters evaluated at the internal rate.
    using F = const Filter EqChannel::*;
    const struct { int on; float freq; double dB, probe; F main, comp; } cases[] = {
        {kParamLf, 1.0f, -6.0, 240.0, &EqChannel::lfMain, &EqChannel::lfComp},
        {kParamLf, 0.5f, 8.0, 60.0, &EqChannel::lfMain, &EqChannel::lfComp},
        {kParamLmf, 0.5f, -9.0, 443.0, &EqChannel::lmfMain, &EqChannel::lmfComp},
        {kParamHmf, 0.5f, 6.0, 3279.0, &EqChannel::hmfMain, &EqChannel::hmfComp},
        {kParamHf, 0.5f, -9.0, 12000.0, &EqChannel::hfMain, &EqChannel::hfComp},
    };
    for (const auto& c : cases) {
        // Each band's parameters follow its switch: frequency, Q, gain.
        EngineHarness h;
        set(h, {{kParamHpfFreq, 0.0f}, {c.on, 1.0f}, {c.on + 1, c.freq}, {c.on + 3, gainParam(c.dB)}});
        h.fx.suspend();
        h.fx.resume();
        const EqChannel& ch = h.fx.channel(0);
        const double fs = h.fx.getInternalRate();
        for (double f : {c.probe / 2, c.probe, c.probe * 1.5}) {
            const double expected =
                magnitude(ch.*(c.main), f, fs) * magnitude(ch.*(c.comp), f, fs) * magnitude(ch.lowCut, f, fs);
            EXPECT_NEAR(20 * std::log10(measured(h, f)), 20 * std::log10(expected), 0.1)
                << "band " << c.on << " at " << f << " Hz";
        }
    }
}
