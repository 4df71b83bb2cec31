// The signal path end to end at the engine: latency, output gain, channel
// routing, saturation, peaks, precision and awkward calls.
#include <cmath>
#include <limits>
#include <random>

#include <gtest/gtest.h>

#include "EngineHarness.h"

TEST(Processing, ImpulseLeavesAfterTheReportedLatency)
{
    struct {
        double rate;
        int latency;
        bool oversampled;
    } cases[] = {{44100, 46, true},  {48000, 48, true},  {64999, 53, true},
                 {65000, 53, false}, {96000, 64, false}, {192000, 96, false}};
    for (const auto& c : cases) {
        EngineHarness h(c.rate);
        h.neutral();
        EXPECT_EQ(h.fx.isOversampling(), c.oversampled) << c.rate;
        EXPECT_EQ(h.fx.getAeffect()->initialDelay, c.latency) << c.rate;
        auto x = h.impulse(400, 10);
        Stereo y = h.runDouble(x, x, 37);
        ASSERT_EQ(argPeak(y.left), static_cast<size_t>(10 + c.latency)) << c.rate;
        EXPECT_NEAR(y.left[10 + c.latency], 1.0, 1e-12) << c.rate;
        EXPECT_EQ(y.left, y.right) << c.rate;
        // Everything else is (near) silence: the upsampler's images and the
        // dropped half-samples leave nothing at the host rate.
        y.left[10 + c.latency] = 0.0;
        EXPECT_LT(peakAbs(y.left), 1e-12) << c.rate;
    }
}

TEST(Processing, OutputGainGlidesInSubBlockSteps)
{
    EngineHarness h;
    h.neutral();
    h.fx.setParameter(kParamOutput, 1.0f);  // +15 dB, target 2^2.5
    const double target = std::pow(2.0, 2.5);
    double expected = 1.0;
    auto step = [&](int n) {
        for (int i = 0; i < n; ++i) {
            expected = expected + (target - expected) * 0.002;
            expected = expected + 1e-30 - 1e-30;
        }
    };
    std::vector<double> ones(17, 1.0);
    h.runDouble(ones, ones, 17);  // one sub-block of 16, then one of 1
    step(17);
    EXPECT_EQ(h.fx.getOutputGainCurrent(), expected);

    // Long enough for the latency to pass: within a sub-block the gain is
    // constant, so the output steps every 16 samples.
    std::vector<double> dc(2048, 0.25);
    Stereo y = h.runDouble(dc, dc, 2048);
    size_t lastStep = 0;
    for (size_t i = 100; i < 2048; ++i) {
        if (y.left[i] == y.left[i - 1])
            continue;
        if (lastStep) {
            ASSERT_EQ(i - lastStep, 16u) << i;
        }
        lastStep = i;
    }
    EXPECT_GT(lastStep, 2000u);
    // The time constant is about 500 host samples (the output runs 14
    // samples behind the point where the gain is applied).
    EngineHarness fresh;
    fresh.neutral();
    fresh.fx.setParameter(kParamOutput, 1.0f);
    std::vector<double> unit(600, 1.0);
    Stereo z = fresh.runDouble(unit, unit, 600);
    double reached = (z.left[514] - 1.0) / (target - 1.0);
    EXPECT_NEAR(reached, 1.0 - std::exp(-1.0), 0.02);
}

TEST(Processing, ChannelSelectionLeavesTheOtherChannelUnequalised)
{
    EngineHarness eq, plain;
    eq.fx.setPresetNo(1);  // C-bass Pick-up: bands and low cut active
    eq.fx.setParameter(kParamLsr, 0.0f);  // left only
    plain.fx.setPresetNo(1);
    plain.fx.setParameter(kParamEqAll, 0.0f);
    auto x = EngineHarness::sine(4096, 80.0, 44100.0, 0.5);
    Stereo a = eq.runDouble(x, x), b = plain.runDouble(x, x);
    // The right channel only gets gain, saturation and delay.
    for (size_t i = 0; i < x.size(); ++i)
        ASSERT_NEAR(a.right[i], b.right[i], 1e-15) << i;
    // The left channel is equalised (4 dB of LF boost at 84 Hz is audible).
    EXPECT_GT(peakAbs(a.left, 2048), 1.2 * peakAbs(b.left, 2048));

    eq.fx.setParameter(kParamLsr, 1.0f);  // right only
    Stereo c = eq.runDouble(x, x);
    EXPECT_GT(peakAbs(c.right, 2048), 1.2 * peakAbs(c.left, 2048));
}

TEST(Processing, MonoAndMissingPins)
{
    EngineHarness h;
    h.neutral();
    VstSpeakerArrangement one{}, two{};
    one.numChannels = 1;
    two.numChannels = 2;
    ASSERT_TRUE(h.fx.setSpeakerArrangement(&one, &two));
    auto x = h.impulse(128, 3);
    std::vector<double> other(128, 0.7);
    double* in[2] = {x.data(), other.data()};
    std::vector<double> l(128, 9.0), r(128, 9.0);
    double* out[2] = {l.data(), r.data()};
    h.fx.processDoubleReplacing(in, out, 128);
    EXPECT_EQ(l, r);  // mono input, stereo output: both carry the same
    EXPECT_NEAR(l[3 + 46], 1.0, 1e-12);

    // Mono in and out: the second output is not touched, nor even read.
    ASSERT_TRUE(h.fx.setSpeakerArrangement(&one, &one));
    std::vector<double> l2(128, 9.0);
    double* single[2] = {l2.data(), nullptr};
    double* in1[2] = {x.data(), nullptr};
    h.fx.processDoubleReplacing(in1, single, 128);
    EXPECT_TRUE(std::isfinite(l2[100]));

    // Stereo input into a single output carries the left channel.
    ASSERT_TRUE(h.fx.setSpeakerArrangement(&two, &two));
    EngineHarness s;
    s.neutral();
    auto left = s.impulse(128, 5), right = s.impulse(128, 9);
    double* ins[2] = {left.data(), right.data()};
    std::vector<double> o(128, 0.0);
    double* outs[2] = {o.data(), o.data()};
    s.fx.processDoubleReplacing(ins, outs, 128);
    EXPECT_NEAR(o[5 + 46], 1.0, 1e-12);
    EXPECT_NEAR(o[9 + 46], 0.0, 1e-12);
}

TEST(Processing, SaturationFollowsItsGainLaw)
{
    for (double amp : {1.0, 2.0}) {
        EngineHarness h;
        h.neutral();
        h.fx.setParameter(kParamSat, 1.0f);
        // A sine whose crests land on samples: 441 Hz at 44100 is 100 samples a period.
        auto x = EngineHarness::sine(8820, 441.0, 44100.0, amp);
        Stereo y = h.runDouble(x, x);
        double expected = amp < 1.490526 ? amp - 0.15 * amp * amp * amp : 0.993807;
        EXPECT_NEAR(peakAbs(y.left, 4000), expected, 2e-3) << amp;
    }
    EngineHarness off;
    off.neutral();
    auto x = EngineHarness::sine(4410, 441.0, 44100.0, 2.0);
    EXPECT_NEAR(peakAbs(off.runDouble(x, x).left, 1000), 2.0, 1e-3);
}

TEST(Processing, PeakIsKeptForTheLampAndCappedAtFour)
{
    EngineHarness h;
    h.neutral();
    std::vector<double> loud(256, 5.0), quiet(256, 0.5);
    h.runDouble(loud, quiet, 256);
    EXPECT_EQ(h.fx.getOutputPeak(), 4.0);
    h.runDouble(quiet, quiet, 256);  // still carries the loud block's tail
    h.runDouble(quiet, quiet, 256);
    EXPECT_NEAR(h.fx.getOutputPeak(), 0.5, 1e-6);
    double* in[2] = {quiet.data(), quiet.data()};
    h.fx.processDoubleReplacing(in, in, 0);
    EXPECT_EQ(h.fx.getOutputPeak(), 0.0);
}

TEST(Processing, FloatAndDoubleEntriesAgree)
{
    EngineHarness a, b;
    a.fx.setPresetNo(2);
    b.fx.setPresetNo(2);
    a.fx.setParameter(kParamSat, 1.0f);
    b.fx.setParameter(kParamSat, 1.0f);
    std::mt19937 rng(7);
    std::uniform_real_distribution<float> d(-0.9f, 0.9f);
    std::vector<float> lf(5000), rf(5000);
    for (size_t i = 0; i < lf.size(); ++i) {
        lf[i] = d(rng);
        rf[i] = d(rng);
    }
    Stereo yf = a.runFloat(lf, rf, 300);
    Stereo yd = b.runDouble(std::vector<double>(lf.begin(), lf.end()),
                            std::vector<double>(rf.begin(), rf.end()), 300);
    for (size_t i = 0; i < lf.size(); ++i) {
        ASSERT_EQ(yf.left[i], static_cast<double>(static_cast<float>(yd.left[i]))) << i;
        ASSERT_EQ(yf.right[i], static_cast<double>(static_cast<float>(yd.right[i]))) << i;
    }
}

TEST(Processing, BlockSplittingAndInPlaceChangeNothing)
{
    EngineHarness whole, split, inPlace;
    for (EngineHarness* h : {&whole, &split, &inPlace}) {
        h->fx.setPresetNo(5);
        h->fx.setParameter(kParamSat, 1.0f);
    }
    std::mt19937 rng(3);
    std::uniform_real_distribution<double> d(-1.0, 1.0);
    std::vector<double> l(3000), r(3000);
    for (size_t i = 0; i < l.size(); ++i) {
        l[i] = d(rng);
        r[i] = d(rng);
    }
    Stereo a = whole.runDouble(l, r, 3000);
    Stereo b;
    b.left.resize(l.size());
    b.right.resize(r.size());
    std::uniform_int_distribution<int> len(0, 40);
    for (size_t at = 0; at < l.size();) {
        int n = std::min<int>(len(rng), static_cast<int>(l.size() - at));
        double* in[2] = {l.data() + at, r.data() + at};
        double* out[2] = {b.left.data() + at, b.right.data() + at};
        split.fx.processDoubleReplacing(in, out, n);
        at += static_cast<size_t>(n);
    }
    EXPECT_EQ(a.left, b.left);
    EXPECT_EQ(a.right, b.right);

    std::vector<double> il = l, ir = r;
    double* io[2] = {il.data(), ir.data()};
    inPlace.fx.processDoubleReplacing(io, io, static_cast<int>(il.size()));
    EXPECT_EQ(a.left, il);
    EXPECT_EQ(a.right, ir);
}

TEST(Processing, AwkwardCallsAreSafe)
{
    EngineHarness h;
    std::vector<double> big(100000, 0.1), out(100000);
    double* in[2] = {big.data(), big.data()};
    double* o[2] = {out.data(), out.data()};
    for (int n : {0, 1, 17, -3, 100000})
        h.fx.processDoubleReplacing(in, o, n);
    EXPECT_TRUE(std::isfinite(out[99999]));
    h.fx.processDoubleReplacing(nullptr, o, 64);
    h.fx.processDoubleReplacing(in, nullptr, 64);
    double* nulls[2] = {nullptr, nullptr};
    h.fx.processDoubleReplacing(nulls, nulls, 64);
    h.fx.processDoubleReplacing(in, nulls, 64);
    EXPECT_EQ(h.fx.getOutputPeak(), 0.0);
}

TEST(Processing, RecoversAfterNonFiniteInput)
{
    EngineHarness h;
    h.fx.setPresetNo(2);
    h.fx.setParameter(kParamSat, 1.0f);
    auto x = EngineHarness::sine(512, 200.0, 44100.0, 0.5);
    x[100] = std::numeric_limits<double>::quiet_NaN();
    x[200] = std::numeric_limits<double>::infinity();
    h.runDouble(x, x);
    auto clean = EngineHarness::sine(44100, 200.0, 44100.0, 0.5);
    Stereo y = h.runDouble(clean, clean);
    for (size_t i = 4000; i < y.left.size(); ++i) {
        ASSERT_TRUE(std::isfinite(y.left[i])) << i;
        ASSERT_TRUE(std::isfinite(y.right[i])) << i;
    }
    EXPECT_LT(peakAbs(y.left, 4000), 2.0);
}
