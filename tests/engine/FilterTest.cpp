#include "engine/Filter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstring>
#include <limits>
#include <vector>

namespace {

const double kPi = std::acos(-1.0);

// A filter that is on and settled at the given response (jump mode on).
Filter makeFilter(int type, double f, double q, double g, double fs = 44100.0) {
    Filter flt(fs, type, f, q, g);
    flt.setSampleRate(fs);
    flt.setFreq(f);
    flt.setQ(q);
    flt.setGain(g);
    flt.setStatus(1);
    return flt;
}

// Runs a signal through in engine-sized blocks.
void run(Filter& flt, std::vector<double>& v, int block = 32) {
    for (size_t i = 0; i < v.size(); i += block)
        flt.processFrame(&v[i], static_cast<int>(std::min<size_t>(block, v.size() - i)));
}

std::vector<double> sine(double f, double fs, size_t n, double amp = 1.0) {
    std::vector<double> v(n);
    for (size_t i = 0; i < n; ++i) v[i] = amp * std::sin(2 * kPi * f * i / fs);
    return v;
}

bool sameBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

bool same(const Filter::Coefficients& a, const Filter::Coefficients& b) {
    return a.b0 == b.b0 && a.b1 == b.b1 && a.b2 == b.b2 && a.a1 == b.a1 && a.a2 == b.a2;
}

void expectClose(const Filter::Coefficients& a, const Filter::Coefficients& b, double tol) {
    EXPECT_NEAR(a.b0, b.b0, tol);
    EXPECT_NEAR(a.b1, b.b1, tol);
    EXPECT_NEAR(a.b2, b.b2, tol);
    EXPECT_NEAR(a.a1, b.a1, tol);
    EXPECT_NEAR(a.a2, b.a2, tol);
}

// Textbook cookbook biquads, written in their usual alpha form, with the
// effective Q narrowed towards Nyquist.
Filter::Coefficients cookbook(int type, double f, double q, double g, double fs) {
    const double w0 = 2 * kPi * f / fs, cw = std::cos(w0);
    const double A = std::pow(10.0, g / 40);
    const double p = type == 1 ? 6 : type == 3 ? 3.5 : type == 4 ? 2.8 : 4;
    const double alpha = std::sin(w0) / (2 * q * (1 - std::pow(2 * f / (1.0002 * fs), p)));
    const double k = 2 * std::sqrt(A) * alpha;
    double b0, b1, b2, a0, a1, a2;
    if (type == 1) {
        b0 = b2 = (1 + cw) / 2; b1 = -(1 + cw);
        a0 = 1 + alpha; a1 = -2 * cw; a2 = 1 - alpha;
    } else if (type == 3) {
        b0 = A * (A + 1 - (A - 1) * cw + k); b1 = 2 * A * (A - 1 - (A + 1) * cw);
        b2 = A * (A + 1 - (A - 1) * cw - k);
        a0 = A + 1 + (A - 1) * cw + k; a1 = -2 * (A - 1 + (A + 1) * cw); a2 = A + 1 + (A - 1) * cw - k;
    } else if (type == 4) {
        b0 = 1 + alpha * A; b1 = -2 * cw; b2 = 1 - alpha * A;
        a0 = 1 + alpha / A; a1 = -2 * cw; a2 = 1 - alpha / A;
    } else {
        b0 = A * (A + 1 + (A - 1) * cw + k); b1 = -2 * A * (A - 1 + (A + 1) * cw);
        b2 = A * (A + 1 + (A - 1) * cw - k);
        a0 = A + 1 - (A - 1) * cw + k; a1 = 2 * (A - 1 - (A + 1) * cw); a2 = A + 1 - (A - 1) * cw - k;
    }
    return {a1 / a0, a2 / a0, b0 / a0, b1 / a0, b2 / a0};
}

double magnitude(const Filter::Coefficients& c, double w) {
    const std::complex<double> z1 = std::polar(1.0, -w), z2 = z1 * z1;
    return std::abs((c.b0 + c.b1 * z1 + c.b2 * z2) / (1.0 + c.a1 * z1 + c.a2 * z2));
}

// |DFT| of the measured impulse response at angular frequency w.
double measured(const std::vector<double>& h, double w) {
    std::complex<double> sum;
    for (size_t n = 0; n < h.size(); ++n) sum += h[n] * std::polar(1.0, -w * n);
    return std::abs(sum);
}

}  // namespace

TEST(FilterResponse, DestinationCoefficientsFollowCookbook) {
    for (int type : {1, 3, 4, 7})
        for (double fs : {44100.0, 96000.0})
            for (double f : {30.0, 1000.0, 18000.0})
                for (double q : {0.4, 2.0})
                    for (double g : {-12.0, 6.0}) {
                        SCOPED_TRACE(testing::Message() << type << " " << fs << " " << f << " " << q << " " << g);
                        const auto got = makeFilter(type, f, q, g, fs).getDestination();
                        const auto want = cookbook(type, f, q, g, fs);
                        EXPECT_NEAR(got.b0, want.b0, 1e-9 * std::max(1.0, std::fabs(want.b0)));
                        EXPECT_NEAR(got.b1, want.b1, 1e-9 * std::max(1.0, std::fabs(want.b1)));
                        EXPECT_NEAR(got.b2, want.b2, 1e-9 * std::max(1.0, std::fabs(want.b2)));
                        EXPECT_NEAR(got.a1, want.a1, 1e-9);
                        EXPECT_NEAR(got.a2, want.a2, 1e-9);
                    }
}

TEST(FilterResponse, MeasuredMagnitudeMatchesDesign) {
    const double fs = 44100.0, gain = std::pow(10.0, 9.0 / 20);
    struct Case { int type; double f; double anchorW; double anchorGain; };
    // Anchors: peaking at its centre, low shelf at DC, high shelf at Nyquist,
    // high-pass at DC and Nyquist.
    for (const Case& c : {Case{4, 1000, 2 * kPi * 1000 / fs, gain}, Case{3, 300, 0.0, gain},
                          Case{7, 5000, kPi, gain}, Case{1, 100, 0.0, 0.0}, Case{1, 100, kPi, 1.0}}) {
        Filter flt = makeFilter(c.type, c.f, 0.7, 9.0, fs);
        std::vector<double> h(1 << 15, 0.0);
        h[0] = 1.0;
        run(flt, h);
        EXPECT_NEAR(measured(h, c.anchorW), c.anchorGain, 1e-6) << c.type;
        for (double hz : {50.0, 700.0, 3000.0, 15000.0}) {
            const double w = 2 * kPi * hz / fs;
            EXPECT_NEAR(measured(h, w), magnitude(flt.getDestination(), w), 1e-6) << c.type << " " << hz;
        }
    }
}

TEST(FilterResponse, FlatPeakingIsExactIdentityInCoefficients) {
    Filter flt = makeFilter(Filter::kPeaking, 2500, 3.0, 0.0);
    const auto c = flt.getDestination();
    EXPECT_EQ(c.b0, 1.0);
    EXPECT_EQ(c.b1, c.a1);
    EXPECT_EQ(c.b2, c.a2);
    std::vector<double> v = sine(2500, 44100, 2000), in = v;
    run(flt, v);
    for (size_t i = 0; i < v.size(); ++i) ASSERT_NEAR(v[i], in[i], 1e-12);
}

TEST(FilterProcess, SteadyOutputEqualsPlainDifferenceEquationBitForBit) {
    Filter flt = makeFilter(Filter::kHighShelf, 4000, 0.8, -7.5);
    const auto c = flt.getDestination();
    std::vector<double> v = sine(3100, 44100, 500), in = v;
    for (size_t i = 0; i < 40; ++i) v[i] = in[i] = 1e-17 * in[i];  // tiny enough for the flush to matter
    run(flt, v, 17);
    double x1 = 0, x2 = 0, y1 = 0, y2 = 0;
    for (size_t i = 0; i < in.size(); ++i) {
        double y = c.b0 * in[i] + c.b1 * x1 + c.b2 * x2 - c.a1 * y1 - c.a2 * y2;
        x2 = x1; x1 = in[i];
        y = y + 1e-30 - 1e-30;
        y2 = y1; y1 = y;
        ASSERT_TRUE(sameBits(v[i], y)) << i;
    }
}

TEST(FilterProcess, BlockSplitDoesNotChangeGlidingOutput) {
    Filter a = makeFilter(Filter::kLowShelf, 200, 0.5, 3.0);
    a.suspend(false);
    a.setGain(-9.0);
    Filter b = a;
    std::vector<double> va = sine(150, 44100, 3000), vb = va;
    run(a, va, 32);
    const int splits[] = {1, 0, 15, 16, 17, 31, 32, 7, 2204, 3};
    size_t pos = 0;
    for (size_t k = 0; pos < vb.size(); ++k) {
        const int n = std::min<int>(splits[k % 10], static_cast<int>(vb.size() - pos));
        b.processFrame(&vb[pos], n);
        pos += n;
    }
    for (size_t i = 0; i < va.size(); ++i) ASSERT_TRUE(sameBits(va[i], vb[i])) << i;
}

TEST(FilterGlide, SetterGlidesWithoutStepAndEndsOnDestination) {
    // A high-pass swept from 20 Hz to 5 kHz under a 100 Hz sine: jumping
    // drops the output to almost nothing within a few samples, gliding must
    // keep every sample-to-sample move near the sine's own largest move.
    const double fs = 44100, bound = 1.2 * 2 * std::sin(kPi * 100 / fs);
    auto maxStep = [&](bool jump) {
        const std::vector<double> all = sine(100, fs, 8820 + 2205);
        std::vector<double> v(all.begin(), all.begin() + 8820), w(all.begin() + 8820, all.end());
        Filter flt = makeFilter(Filter::kHighPass, 20, 0.7, 0.0, fs);
        flt.suspend(jump);
        run(flt, v);
        flt.setFreq(5000);
        EXPECT_EQ(flt.rampRemaining(), jump ? 0u : 2205u);
        for (size_t i = 0; i < w.size(); i += 32) {
            flt.processFrame(&w[i], static_cast<int>(std::min<size_t>(32, w.size() - i)));
            if (!jump && i + 32 < w.size()) {
                EXPECT_GT(flt.rampRemaining(), 0u);
            }
        }
        EXPECT_EQ(flt.rampRemaining(), 0u);
        double step = std::fabs(w[0] - v.back());
        for (size_t i = 1; i < w.size(); ++i) step = std::max(step, std::fabs(w[i] - w[i - 1]));
        double one = 0.0;
        flt.processFrame(&one, 1);
        EXPECT_TRUE(same(flt.getActive(), flt.getDestination()));
        return step;
    };
    EXPECT_LT(maxStep(false), bound);
    EXPECT_GT(maxStep(true), 5 * bound);  // the same change without a glide does step
}

TEST(FilterGlide, RecomputeMidGlideRestartsFromIntermediateResponse) {
    Filter flt = makeFilter(Filter::kPeaking, 500, 1.0, 0.0);
    flt.suspend(false);
    flt.setGain(12.0);
    std::vector<double> v = sine(440, 44100, 1000);
    run(flt, v);
    const auto before = flt.getActive();
    flt.setFreq(4000);
    EXPECT_EQ(flt.rampRemaining(), flt.rampLength());
    double x = 0.1;
    flt.processFrame(&x, 1);
    const auto dst = flt.getDestination();
    expectClose(flt.getActive(), before, 1e-3);
    EXPECT_GT(std::fabs(dst.a1 - before.a1), 0.1);

    // The moving zeros, poles and gain land on the destination response.
    std::vector<double> w = sine(440, 44100, flt.rampLength() - 1);
    run(flt, w);
    EXPECT_EQ(flt.rampRemaining(), 0u);
    expectClose(flt.getActive(), dst, 1e-9);
}

TEST(FilterGlide, SuspendEndsGlideOnDestination) {
    Filter flt = makeFilter(Filter::kHighShelf, 3000, 0.7, -3.0);
    flt.suspend(false);
    flt.setGain(10.0);
    std::vector<double> v = sine(440, 44100, 300);
    run(flt, v);
    flt.suspend(false);
    EXPECT_EQ(flt.rampRemaining(), 0u);
    flt.setGain(10.0);  // a glide to the same response must start on it
    double x = 0.1;
    flt.processFrame(&x, 1);
    expectClose(flt.getActive(), flt.getDestination(), 1e-9);
}

TEST(FilterStatus, OffGlidesToWireThenBypassesWithClearedHistory) {
    Filter flt = makeFilter(Filter::kPeaking, 1000, 2.0, 12.0);
    flt.suspend(false);
    std::vector<double> v = sine(1000, 44100, 4000);
    run(flt, v);
    flt.setStatus(0);
    EXPECT_EQ(flt.rampRemaining(), 2205u);
    const Filter::Coefficients d = flt.getDestination();
    EXPECT_TRUE(same(d, {0, 0, 1, 0, 0}));
    std::vector<double> w = sine(1000, 44100, 2205), in = w;
    run(flt, w);
    EXPECT_EQ(flt.rampRemaining(), 0u);
    expectClose(flt.getActive(), d, 1e-9);
    EXPECT_NEAR(w.back(), in.back(), 1e-6);

    double untouched[3] = {1e-40, -0.5, std::numeric_limits<double>::infinity()};
    const double copy[3] = {untouched[0], untouched[1], untouched[2]};
    flt.processFrame(untouched, 3);
    for (int i = 0; i < 3; ++i) EXPECT_TRUE(sameBits(untouched[i], copy[i]));

    // A clean history rings with nothing when the filter comes back on.
    flt.suspend(true);
    flt.setStatus(1);
    std::vector<double> zeros(64, 0.0);
    run(flt, zeros);
    for (double z : zeros) EXPECT_EQ(z, 0.0);
}

TEST(FilterStatus, SameStatusMidGlideChangesNothing) {
    Filter a = makeFilter(Filter::kHighPass, 80, 0.7, 0.0);
    a.suspend(false);
    a.setFreq(140);
    std::vector<double> va = sine(100, 44100, 700);
    run(a, va);
    Filter b = a;
    const auto left = a.rampRemaining();
    a.setStatus(1);
    EXPECT_EQ(a.rampRemaining(), left);
    std::vector<double> wa = sine(90, 44100, 3000), wb = wa;
    run(a, wa);
    run(b, wb);
    for (size_t i = 0; i < wa.size(); ++i) ASSERT_TRUE(sameBits(wa[i], wb[i])) << i;
}

TEST(FilterSetters, ClampsAndRates) {
    Filter flt(44100.0, Filter::kPeaking, 1000.0, 1.0, 0.0);
    EXPECT_EQ(flt.rampLength(), 2205u);
    flt.setFreq(30000);
    EXPECT_DOUBLE_EQ(flt.getFreq(), 22005.9);
    flt.setFreq(-5);
    EXPECT_EQ(flt.getFreq(), 0.001);
    flt.setQ(0);
    EXPECT_EQ(flt.getQ(), 0.0001);
    flt.setQ(1e9);
    EXPECT_EQ(flt.getQ(), 1000.0);
    flt.setGain(-5000);
    EXPECT_EQ(flt.getGain(), -1000.0);
    flt.setGain(std::numeric_limits<double>::quiet_NaN());
    EXPECT_EQ(flt.getGain(), -1000.0);
    flt.setSampleRate(88200);
    EXPECT_EQ(flt.rampLength(), 4410u);
    flt.setSampleRate(10000);
    EXPECT_EQ(flt.getSampleRate(), 44100.0);
    EXPECT_EQ(flt.rampLength(), 2205u);
    flt.setSampleRate(500000);
    EXPECT_EQ(flt.getSampleRate(), 44100.0);
}

TEST(FilterJump, SetterTakesEffectFromNextSample) {
    Filter flt = makeFilter(Filter::kPeaking, 1000, 1.0, 6.0);
    ASSERT_TRUE(flt.isJumpMode());
    std::vector<double> v = sine(700, 44100, 100);
    run(flt, v);
    flt.setFreq(3000);
    EXPECT_EQ(flt.rampRemaining(), 0u);
    double x = 0.3;
    flt.processFrame(&x, 1);
    EXPECT_TRUE(same(flt.getActive(), flt.getDestination()));
}

TEST(FilterRobustness, NonFiniteInputDoesNotPoisonLaterBlocks) {
    for (bool gliding : {false, true}) {
        for (double bad : {std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity()}) {
            Filter flt = makeFilter(Filter::kLowShelf, 120, 0.4, -6.0);
            flt.suspend(!gliding);
            flt.setGain(4.0);
            std::vector<double> v = sine(100, 44100, 32);
            v[5] = bad;
            flt.processFrame(v.data(), 32);
            std::vector<double> w = sine(100, 44100, 640);
            run(flt, w);
            for (double y : w) ASSERT_TRUE(std::isfinite(y));
        }
    }
}
