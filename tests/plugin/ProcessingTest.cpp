// The signal path end to end at the engine: rates and latency, output gain,
// channel routing, saturation, peaks, precision and awkward calls.
#include <cmath>
#include <limits>
#include <random>

#include <gtest/gtest.h>

#include "EngineHarness.h"

// One instance taken through every rate, so nothing of the last rate may stay.
TEST(Processing, ImpulseLeavesAfterTheReportedLatency)
{
    const struct { double rate, internal; int latency; } cases[] = {
        {44100, 88200, 46}, {48000, 96000, 48}, {64999, 129998, 53}, {65000, 65000, 53}, {96000, 96000, 64},
        {192000, 192000, 96},
        // A rate no host should send is taken as 44100.
        {0, 88200, 46}, {-48000, 88200, 46}, {NAN, 88200, 46}, {INFINITY, 88200, 46}};
    EngineHarness h;
    for (const auto& c : cases) {
        h.fx.setSampleRate(static_cast<float>(c.rate));
        h.neutral();
        EXPECT_EQ(h.fx.getInternalRate(), c.internal) << c.rate;
        EXPECT_EQ(h.fx.channel(1).hfComp.getSampleRate(), c.internal) << c.rate;
        EXPECT_EQ(h.fx.getAeffect()->initialDelay, c.latency) << c.rate;
        std::vector<double> x(400, 0.0);
        x[10] = 1.0;
        Stereo y = h.run(x, x, 37);
        EXPECT_NEAR(y.left[10 + c.latency], 1.0, 1e-12) << c.rate;
        EXPECT_EQ(y.left, y.right) << c.rate;
        // Nothing else: the upsampler's images and the dropped half-samples
        // leave nothing at the host rate.
        y.left[10 + c.latency] = 0.0;
        EXPECT_LT(peakAbs(y.left), 1e-12) << c.rate;
    }
}

TEST(Processing, OutputGainGlidesInSubBlockSteps)
{
    EngineHarness h;
    h.neutral();
    h.fx.setParameter(kParamOutput, 1.0f);  // +15 dB, target 2^2.5
    std::vector<double> dc(2600, 0.25);
    Stereo y = h.run(dc, dc, 2600);
    // A time constant of about 500 host samples (the output runs 14 samples
    // behind the point where the gain is applied) ...
    EXPECT_NEAR((y.left[514] - 0.25) / (0.25 * (std::pow(2.0, 2.5) - 1.0)), 1.0 - std::exp(-1.0), 0.02);
    // ... with the gain held within each sub-block of 16.
    size_t lastStep = 0;
    for (size_t i = 100; i < dc.size(); ++i)
        if (y.left[i] != y.left[i - 1]) {
            ASSERT_TRUE(lastStep == 0 || i - lastStep == 16) << i;
            lastStep = i;
        }
    EXPECT_GT(lastStep, 2500u);
}

TEST(Processing, ChannelSelectionLeavesTheOtherChannelUnequalised)
{
    EngineHarness eq, plain;
    eq.fx.setPresetNo(1);  // C-bass Pick-up: bands and low cut active
    eq.fx.setParameter(kParamLsr, 0.0f);  // left only
    plain.fx.setPresetNo(1);
    plain.fx.setParameter(kParamEqAll, 0.0f);
    auto x = sine(4096, 80.0, 44100.0, 0.5);
    Stereo a = eq.run(x, x), b = plain.run(x, x);
    // The right channel only gets gain, saturation and delay.
    for (size_t i = 0; i < x.size(); ++i)
        ASSERT_NEAR(a.right[i], b.right[i], 1e-15) << i;
    // The left channel is equalised (4 dB of LF boost at 84 Hz is audible).
    EXPECT_GT(peakAbs(a.left, 2048), 1.2 * peakAbs(b.left, 2048));

    eq.fx.setParameter(kParamLsr, 1.0f);  // right only
    Stereo c = eq.run(x, x);
    EXPECT_GT(peakAbs(c.right, 2048), 1.2 * peakAbs(c.left, 2048));
}

TEST(Processing, MonoAndMissingPins)
{
    EngineHarness h;
    h.neutral();
    VstSpeakerArrangement one{}, two{};
    one.numChannels = 1;
    two.numChannels = 2;
    std::vector<double> a(128, 0.0), b(128, 0.0);
    a[3] = b[9] = 1.0;
    // Mono input, stereo output: both outputs carry the first input.
    ASSERT_TRUE(h.fx.setSpeakerArrangement(&one, &two));
    Stereo y = h.run(a, b, 128);
    EXPECT_EQ(y.left, y.right);
    EXPECT_NEAR(y.left[3 + 46], 1.0, 1e-12);
    // Mono in and out: the second pins are neither read nor written.
    ASSERT_TRUE(h.fx.setSpeakerArrangement(&one, &one));
    std::vector<double> l(128, 9.0);
    double* in[2] = {a.data(), nullptr};
    double* out[2] = {l.data(), nullptr};
    h.fx.processDoubleReplacing(in, out, 128);
    EXPECT_NEAR(l[3 + 46], 1.0, 1e-12);
    // Stereo input into one buffer for both outputs carries the left channel.
    ASSERT_TRUE(h.fx.setSpeakerArrangement(&two, &two));
    in[1] = b.data();
    out[1] = l.data();
    h.fx.processDoubleReplacing(in, out, 128);
    EXPECT_NEAR(l[3 + 46], 1.0, 1e-12);
    EXPECT_NEAR(l[9 + 46], 0.0, 1e-12);
}

TEST(Processing, SaturationFollowsItsGainLaw)
{
    // Sines whose crests land on samples: 441 Hz is 100 samples a period.
    const struct { float sat; double amp, peak, tolerance; } cases[] = {
        {1, 1.0, 0.85, 2e-3}, {1, 2.0, 0.993807, 2e-3}, {0, 2.0, 2.0, 1e-3}};
    for (const auto& c : cases) {
        EngineHarness h;
        h.neutral();
        h.fx.setParameter(kParamSat, c.sat);
        auto x = sine(8820, 441.0, 44100.0, c.amp);
        EXPECT_NEAR(peakAbs(h.run(x, x).left, 4000), c.peak, c.tolerance) << c.amp << " " << c.sat;
    }
}

// The float entry is the double one rounded; splitting the blocks at random
// and processing in place change nothing.
TEST(Processing, EntriesSplitsAndInPlaceAgree)
{
    EngineHarness whole, single, split, inPlace;
    for (EngineHarness* h : {&whole, &single, &split, &inPlace}) {
        h->fx.setPresetNo(5);
        h->fx.setParameter(kParamSat, 1.0f);
    }
    std::mt19937 rng(7);
    std::uniform_real_distribution<float> level(-0.9f, 0.9f);
    std::vector<float> lf(3000), rf(3000);
    for (size_t i = 0; i < lf.size(); ++i)
        lf[i] = level(rng), rf[i] = level(rng);
    std::vector<double> l(lf.begin(), lf.end()), r(rf.begin(), rf.end());
    Stereo a = whole.run(l, r, 3000), b{l, r}, f = single.run(lf, rf, 300);
    std::uniform_int_distribution<int> len(0, 40);
    for (size_t at = 0; at < l.size();) {
        const int n = std::min<int>(len(rng), static_cast<int>(l.size() - at));
        double* in[2] = {l.data() + at, r.data() + at};
        double* out[2] = {b.left.data() + at, b.right.data() + at};
        split.fx.processDoubleReplacing(in, out, n);
        at += static_cast<size_t>(n);
    }
    EXPECT_EQ(a.left, b.left);
    EXPECT_EQ(a.right, b.right);

    double* io[2] = {l.data(), r.data()};
    inPlace.fx.processDoubleReplacing(io, io, static_cast<int>(l.size()));
    EXPECT_EQ(a.left, l);
    EXPECT_EQ(a.right, r);

    for (auto* v : {&a.left, &a.right})  // the double results, rounded
        std::transform(v->begin(), v->end(), v->begin(), [](double x) { return static_cast<float>(x); });
    EXPECT_EQ(f.left, a.left);
    EXPECT_EQ(f.right, a.right);
}

// With the filters gliding (a program just chosen) or settled.
TEST(Processing, RecoversAfterNonFiniteInput)
{
    auto x = sine(512, 200.0, 44100.0, 0.5), clean = sine(44100, 200.0, 44100.0, 0.5);
    x[100] = std::numeric_limits<double>::quiet_NaN();
    x[200] = std::numeric_limits<double>::infinity();
    for (bool settled : {false, true}) {
        EngineHarness h;
        h.fx.setPresetNo(2);
        h.fx.setParameter(kParamSat, 1.0f);
        if (settled)
            h.run(clean, clean);
        h.run(x, x);
        Stereo y = h.run(clean, clean);
        for (size_t i = 4000; i < y.left.size(); ++i)  // also false for NaN
            ASSERT_TRUE(std::fabs(y.left[i]) < 2.0 && std::fabs(y.right[i]) < 2.0) << settled << " " << i;
    }
}

// Whatever value a host sends, every block stays finite, and once the value
// is taken back the output returns to what it was.
TEST(Processing, AnyParameterValueKeepsTheOutputFinite)
{
    const auto x = sine(1024, 200.0, 44100.0, 0.5);
    const auto settle = sine(3 * 44100, 200.0, 44100.0, 0.5);
    EngineHarness reference;
    reference.fx.setPresetNo(5);
    const Stereo expected = (reference.run(settle, settle), reference.run(x, x));
    for (float hostile : {2.0f, 10.0f, 50.0f, 205.0f, 1e38f, -1e38f, -0.001f, 1.0000001f}) {
        EngineHarness h;
        h.fx.setPresetNo(5);
        for (int index = 0; index < kNumParams; ++index) {
            const float before = h.fx.getParameter(index);
            h.fx.setParameter(index, hostile);
            const Stereo y = h.run(x, x, 256);
            for (size_t i = 0; i < y.left.size(); ++i)
                ASSERT_TRUE(std::isfinite(y.left[i]) && std::isfinite(y.right[i]))
                    << "value " << hostile << " on " << index << " at " << i;
            h.fx.setParameter(index, before);
        }
        h.run(settle, settle);
        const Stereo back = h.run(x, x);
        for (size_t i = 0; i < x.size(); ++i)
            ASSERT_NEAR(back.left[i], expected.left[i], 1e-9) << hostile << " at " << i;
    }
}
