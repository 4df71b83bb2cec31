// Construction, suspend and resume: rates, jump mode and glides.
#include <cmath>

#include <gtest/gtest.h>

#include "EngineHarness.h"

TEST(Lifecycle, ResumeTakesUpTheHostRate)
{
    struct {
        double rate, internal;
        int length, delay;
    } cases[] = {{44100, 88200, 29, 46}, {48000, 96000, 33, 48}, {96000, 96000, 65, 64},
                 {192000, 192000, 129, 96}, {64999, 129998, 43, 53}, {65000, 65000, 43, 53}};
    Sylvatone fx(nullptr);
    EXPECT_EQ(fx.getAeffect()->initialDelay, 46);
    for (const auto& c : cases) {
        fx.setSampleRate(static_cast<float>(c.rate));
        fx.suspend();
        fx.resume();
        EXPECT_EQ(fx.getInternalRate(), c.internal) << c.rate;
        EXPECT_EQ(fx.saturator().length(), c.length) << c.rate;
        EXPECT_EQ(fx.getAeffect()->initialDelay, c.delay) << c.rate;
        EXPECT_EQ(fx.channel(1).hfComp.getSampleRate(), c.internal) << c.rate;
    }
    fx.setSampleRate(44100.0f);
    fx.resume();
    EXPECT_NEAR(fx.getLatency1(), 1.0431f, 1e-4);
    fx.setSampleRate(250000.0f);
    EXPECT_NEAR(fx.getLatency1(), 1.0431f, 1e-4);  // converted at 44100

    // A rate no host should send is taken as 44100.
    for (float bad : {0.0f, -48000.0f, NAN, INFINITY}) {
        fx.setSampleRate(bad);
        fx.resume();
        EXPECT_EQ(fx.getInternalRate(), 88200.0) << bad;
        EXPECT_EQ(fx.getAeffect()->initialDelay, 46) << bad;
    }
}

TEST(Lifecycle, SuspendedChangesJumpResumedChangesGlide)
{
    Sylvatone fx(nullptr);
    fx.resume();
    const Filter& lf = fx.channel(0).lfMain;
    EXPECT_FALSE(lf.isJumpMode());

    std::vector<double> silence(64, 0.0);
    double* io[2] = {silence.data(), silence.data()};
    fx.setParameter(kParamLfGain, 1.0f);
    fx.processDoubleReplacing(io, io, 16);
    EXPECT_GT(lf.rampRemaining(), 0u);
    EXPECT_EQ(lf.rampLength(), 4410u);  // 50 ms at 88200 Hz

    fx.suspend();
    fx.setParameter(kParamLfGain, 0.0f);
    fx.processDoubleReplacing(io, io, 1);
    EXPECT_EQ(lf.rampRemaining(), 0u);
    EXPECT_EQ(lf.getGain(), -15.0);

    // A second resume without suspend recomputes and keeps gliding.
    fx.resume();
    fx.resume();
    EXPECT_FALSE(lf.isJumpMode());
    fx.setParameter(kParamLfGain, 0.5f);
    fx.processDoubleReplacing(io, io, 16);
    EXPECT_GT(lf.rampRemaining(), 0u);
}

TEST(Lifecycle, GainChangesGlideWithoutAClick)
{
    EngineHarness h;
    h.fx.setParameter(kParamSat, 0.0f);
    const double rate = 44100.0;
    auto x = EngineHarness::sine(static_cast<size_t>(rate), 1000.0, rate, 0.5);
    // Largest sample-to-sample step of a 1 kHz sine at 0.5, boosted by up
    // to 15 dB; a switched response would jump well beyond it.
    const double maxStep = 2.0 * M_PI * 1000.0 / rate * 0.5 * std::pow(10.0, 15.0 / 20.0) * 1.05;
    std::vector<double> out(x.size());
    const int block = 256;
    for (size_t at = 0; at < x.size(); at += block) {
        if (at == 8192) {
            h.fx.setParameter(kParamHmfFreq, 0.0f);  // 1500 Hz
            h.fx.setParameter(kParamHmfGain, 1.0f);
            h.fx.setParameter(kParamLmfGain, 0.0f);
        }
        int n = static_cast<int>(std::min<size_t>(block, x.size() - at));
        double* in[2] = {x.data() + at, x.data() + at};
        double* o[2] = {out.data() + at, out.data() + at};
        h.fx.processDoubleReplacing(in, o, n);
    }
    for (size_t i = 1000; i < out.size(); ++i)
        ASSERT_LT(std::fabs(out[i] - out[i - 1]), maxStep) << i;
    // The glide is over 50 ms after the change.
    EXPECT_EQ(h.fx.channel(0).hmfMain.rampRemaining(), 0u);
    double late = peakAbs(out, 8192 + 2205 + 500, 8192 + 2205 + 1500);
    double later = peakAbs(out, 30000, 31000);
    EXPECT_NEAR(late, later, 1e-3 * later);
}
