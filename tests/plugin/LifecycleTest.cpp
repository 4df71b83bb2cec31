// Suspend and resume: jump mode and glides. (Rates: ProcessingTest.)
#include <cmath>

#include <gtest/gtest.h>

#include "EngineHarness.h"

TEST(Lifecycle, SuspendedChangesJumpResumedChangesGlide)
{
    EngineHarness h;
    const Filter& lf = h.fx.channel(0).lfMain;
    std::vector<double> silence(16, 0.0);
    auto setGain = [&](float value) {
        h.fx.setParameter(kParamLfGain, value);
        h.run(silence, silence);
        return lf.rampRemaining();
    };
    EXPECT_GT(setGain(1.0f), 0u);
    h.fx.suspend();
    EXPECT_EQ(setGain(0.0f), 0u);
    EXPECT_EQ(lf.getGain(), -15.0);
    // A second resume without suspend recomputes and keeps gliding.
    h.fx.resume();
    h.fx.resume();
    EXPECT_GT(setGain(0.5f), 0u);
}

TEST(Lifecycle, GainChangesGlideWithoutAClick)
{
    EngineHarness h;
    h.fx.setParameter(kParamSat, 0.0f);
    auto x = sine(44100, 1000.0, 44100.0, 0.5);
    // Largest sample-to-sample step of a 1 kHz sine at 0.5, boosted by up
    // to 15 dB; a switched response would jump well beyond it.
    const double maxStep = 2.0 * M_PI * 1000.0 / 44100.0 * 0.5 * std::pow(10.0, 15.0 / 20.0) * 1.05;
    std::vector<double> head(x.begin(), x.begin() + 8192), tail(x.begin() + 8192, x.end());
    std::vector<double> out = h.run(head, head, 256).left;
    h.fx.setParameter(kParamHmfFreq, 0.0f);  // 1500 Hz
    h.fx.setParameter(kParamHmfGain, 1.0f);
    h.fx.setParameter(kParamLmfGain, 0.0f);
    const std::vector<double> rest = h.run(tail, tail, 256).left;
    out.insert(out.end(), rest.begin(), rest.end());
    for (size_t i = 1000; i < out.size(); ++i)
        ASSERT_LT(std::fabs(out[i] - out[i - 1]), maxStep) << i;
    // The glide is over 50 ms after the change.
    EXPECT_EQ(h.fx.channel(0).hmfMain.rampRemaining(), 0u);
    double late = peakAbs(out, 8192 + 2205 + 500, 8192 + 2205 + 1500);
    double later = peakAbs(out, 30000, 31000);
    EXPECT_NEAR(late, later, 1e-3 * later);
}
