// Band design: the settings each band gives its filters, and the measured
// response of the whole engine against the one the filter coefficients define.
#include <cmath>
#include <complex>

#include <gtest/gtest.h>

#include "EngineHarness.h"

namespace {

struct Setting {
    int type, status;
    double freq, q, gain;
};

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

// Gain value from dB: 0.5 dB steps over 0..1.
float gainParam(double dB)
{
    return static_cast<float>((dB + 15.0) / 30.0);
}

// |H| of one biquad at frequency f for a rate fs, from its coefficients.
double magnitude(const Filter& filter, double f, double fs)
{
    if (filter.getStatus() == 0)
        return 1.0;
    Filter::Coefficients c = filter.getDestination();
    std::complex<double> z = std::polar(1.0, -2.0 * M_PI * f / fs);
    std::complex<double> num = c.b0 + c.b1 * z + c.b2 * z * z;
    std::complex<double> den = 1.0 + c.a1 * z + c.a2 * z * z;
    return std::abs(num / den);
}

// The engine's measured magnitude at f (sine in, steady-state peak out).
double measured(EngineHarness& h, double f)
{
    const double rate = 44100.0;
    size_t n = static_cast<size_t>(rate * 0.6);
    auto x = EngineHarness::sine(n, f, rate, 0.25);
    Stereo y = h.runDouble(x, x);
    double rmsIn = 0, rmsOut = 0;
    for (size_t i = n / 2; i < n; ++i) {
        rmsIn += x[i - 46] * x[i - 46];
        rmsOut += y.left[i] * y.left[i];
    }
    return std::sqrt(rmsOut / rmsIn);
}

}  // namespace

TEST(BandDesign, LowShelfForCutsAndBellsForBoosts)
{
    EngineHarness h;
    h.fx.setParameter(kParamLf, 1.0f);
    h.fx.setParameter(kParamLfFreq, 0.5f);  // 60 Hz
    h.fx.setParameter(kParamLfGain, gainParam(-6.0));
    h.fx.applyPendingUpdates();
    for (int c = 0; c < 2; ++c) {
        expectFilter(h.fx.channel(c).lfMain, {3, 1, 120.0, 0.4, -6.0}, "LF cut main");
        expectFilter(h.fx.channel(c).lfComp, {4, 0, 0, 0, 0}, "LF cut companion");
    }
    h.fx.setParameter(kParamLfQ, 1.0f);
    h.fx.setParameter(kParamLfGain, gainParam(6.0));
    h.fx.applyPendingUpdates();
    expectFilter(h.fx.channel(0).lfMain, {4, 1, 60.0, 0.8, 6.0}, "LF boost main");
    expectFilter(h.fx.channel(0).lfComp, {4, 1, 60.0, std::sqrt(2.0) * 0.8 * 2.8, -0.9}, "LF boost comp");
    h.fx.setParameter(kParamLf, 0.0f);
    h.fx.applyPendingUpdates();
    expectFilter(h.fx.channel(1).lfMain, {4, 0, 0, 0, 0}, "LF off");
}

TEST(BandDesign, HighShelfAtHalfTheTableFrequency)
{
    EngineHarness h;
    h.fx.setParameter(kParamHf, 1.0f);
    h.fx.setParameter(kParamHfFreq, 0.5f);  // 16000 Hz
    h.fx.setParameter(kParamHfQ, 1.0f);
    h.fx.setParameter(kParamHfGain, 0.0f);  // -15 dB
    h.fx.applyPendingUpdates();
    expectFilter(h.fx.channel(0).hfMain, {7, 1, 8000.0, 0.715, -15.0}, "HF cut");
    EXPECT_EQ(h.fx.channel(0).hfComp.getStatus(), 0);

    // At 96 kHz there is no oversampling and 25 kHz still fits below 0.499 fs.
    EngineHarness fast(96000.0);
    fast.fx.setParameter(kParamHfFreq, 1.0f);
    fast.fx.setParameter(kParamHfQ, 0.0f);
    fast.fx.setParameter(kParamHfGain, gainParam(3.0));
    fast.fx.applyPendingUpdates();
    for (const Filter* f : {&fast.fx.channel(0).hfMain, &fast.fx.channel(0).hfComp})
        EXPECT_EQ(f->getFreq(), 25000.0);
    EXPECT_EQ(fast.fx.channel(0).hfMain.getSampleRate(), 96000.0);
}

TEST(BandDesign, MidBellWidthsFollowTheGain)
{
    EngineHarness h;
    h.fx.setParameter(kParamLmf, 1.0f);
    h.fx.setParameter(kParamLmQ, 0.0f);
    h.fx.setParameter(kParamLmfGain, 1.0f);  // +15 dB
    h.fx.applyPendingUpdates();
    EXPECT_NEAR(h.fx.channel(0).lmfMain.getQ(), 0.4193, 1e-4);
    h.fx.setParameter(kParamLmfGain, gainParam(0.5));
    h.fx.applyPendingUpdates();
    EXPECT_NEAR(h.fx.channel(0).lmfMain.getQ(), 0.2541, 1e-4);
    EXPECT_NEAR(h.fx.channel(0).lmfComp.getQ(), 0.2541 * 2.8, 1e-3);

    // Narrow cut: deeper main bell, wider companion.
    h.fx.setParameter(kParamHmQ, 1.0f);
    h.fx.setParameter(kParamHmfGain, gainParam(-6.0));
    h.fx.applyPendingUpdates();
    double X = std::pow(10.0, 6.0 / 20.0), Y = std::pow(2.0, 2.5);
    double q = 0.71 * 2.0 * std::pow(X / Y, 0.4);
    expectFilter(h.fx.channel(1).hmfMain, {4, 1, 3279.0, q, 1.33 * -6.0}, "HMF cut main");
    expectFilter(h.fx.channel(1).hmfComp,
                 {4, 1, 3279.0, std::pow(2.0, 0.25) * q * 0.35, -0.25 * 1.33 * -6.0}, "HMF comp");
}

TEST(BandDesign, LowCutFollowsMasterAndChannelSwitches)
{
    EngineHarness h;
    const double cutoffs[] = {2.13, 14.2, 24.85, 35.5, 49.7, 71, 85.2, 106.5, 120.7, 142, 177.5};
    const double qs[] = {0.5, 0.6, 0.6, 0.705, 0.705, 0.705, 0.705, 0.705, 0.705, 0.705, 0.705};
    for (int step = 0; step <= 10; ++step) {
        h.fx.setParameter(kParamHpfFreq, step / 10.0f);
        h.fx.applyPendingUpdates();
        expectFilter(h.fx.channel(0).lowCut, {1, 1, cutoffs[step], qs[step], 0.0}, "low cut");
    }
    h.fx.setParameter(kParamLsr, 0.0f);
    h.fx.applyPendingUpdates();
    EXPECT_NE(h.fx.channel(0).lowCut.getStatus(), 0);
    EXPECT_EQ(h.fx.channel(1).lowCut.getStatus(), 0);
    EXPECT_NE(h.fx.channel(1).lfMain.getStatus(), 0);  // bands keep their settings
    h.fx.setParameter(kParamEqAll, 0.0f);
    h.fx.applyPendingUpdates();
    EXPECT_EQ(h.fx.channel(0).lowCut.getStatus(), 0);
    EXPECT_NE(h.fx.channel(0).hmfMain.getStatus(), 0);
}

TEST(BandDesign, FactoryProgramsSetTheirShapes)
{
    EngineHarness h;
    h.fx.setPresetNo(3);  // Mild
    h.fx.applyPendingUpdates();
    EXPECT_EQ(h.fx.channel(0).lfMain.getStatus(), 0);
    EXPECT_EQ(h.fx.channel(0).lmfMain.getStatus(), 0);
    expectFilter(h.fx.channel(0).hmfMain, {4, 1, 3279.0, h.fx.channel(0).hmfMain.getQ(), 4.0}, "Mild HMF");
    expectFilter(h.fx.channel(0).hfMain, {7, 1, 10119.5, 0.55 * std::pow(0.65, 0.2), -3.0}, "Mild HF");
    h.fx.setPresetNo(4);  // Round
    h.fx.applyPendingUpdates();
    expectFilter(h.fx.channel(0).lfMain, {3, 1, 84.0, 0.4, -2.0}, "Round LF");
}

TEST(BandDesign, DefaultProgramIsFlatApartFromTheLowCut)
{
    EngineHarness h;
    for (int c = 0; c < 2; ++c) {
        EXPECT_EQ(h.fx.channel(c).lowCut.getFreq(), 2.13);
        for (const Filter* f : {&h.fx.channel(c).lfMain, &h.fx.channel(c).lmfMain,
                                &h.fx.channel(c).hmfComp, &h.fx.channel(c).hfMain})
            EXPECT_EQ(f->getGain(), 0.0);
    }
    for (double f : {100.0, 1000.0, 10000.0})
        EXPECT_NEAR(20 * std::log10(measured(h, f)), 0.0, 0.05) << f;
}

TEST(BandDesign, MeasuredResponseMatchesTheCoefficients)
{
    // Each band alone, the others flat; the engine's measured gain against
    // the product of the band's two filters evaluated at the internal rate.
    struct Case {
        int on, freqIndex, gainIndex;
        float freq;
        double dB;
        double probe;
        const Filter EqChannel::*main;
        const Filter EqChannel::*comp;
    } cases[] = {
        {kParamLf, kParamLfFreq, kParamLfGain, 1.0f, -6.0, 240.0, &EqChannel::lfMain, &EqChannel::lfComp},
        {kParamLf, kParamLfFreq, kParamLfGain, 0.5f, 8.0, 60.0, &EqChannel::lfMain, &EqChannel::lfComp},
        {kParamLmf, kParamLmfFreq, kParamLmfGain, 0.5f, -9.0, 443.0, &EqChannel::lmfMain, &EqChannel::lmfComp},
        {kParamHmf, kParamHmfFreq, kParamHmfGain, 0.5f, 6.0, 3279.0, &EqChannel::hmfMain, &EqChannel::hmfComp},
        {kParamHf, kParamHfFreq, kParamHfGain, 0.5f, -9.0, 12000.0, &EqChannel::hfMain, &EqChannel::hfComp},
    };
    for (const Case& c : cases) {
        EngineHarness h;
        h.fx.setParameter(kParamHpfFreq, 0.0f);
        h.fx.setParameter(c.on, 1.0f);
        h.fx.setParameter(c.freqIndex, c.freq);
        h.fx.setParameter(c.gainIndex, gainParam(c.dB));
        h.fx.suspend();
        h.fx.resume();
        const EqChannel& ch = h.fx.channel(0);
        const double fs = h.fx.getInternalRate();
        for (double f : {c.probe / 2, c.probe, c.probe * 1.5}) {
            double expected = magnitude(ch.*(c.main), f, fs) * magnitude(ch.*(c.comp), f, fs) *
                              magnitude(ch.lowCut, f, fs);
            double got = measured(h, f);
            EXPECT_NEAR(20 * std::log10(got), 20 * std::log10(expected), 0.1)
                << "band " << c.on << " at " << f << " Hz";
        }
    }
}
