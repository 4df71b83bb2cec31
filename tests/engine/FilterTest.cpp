#include "engine/Filter.h"
#include "tests/engine/Signals.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

namespace {

const double kPi = std::acos(-1.0);
const double kNaN = std::numeric_limits<double>::quiet_NaN();

// A filter that is on and settled at the given response (jump mode on).
Filter makeFilter(int type, double f, double q, double g, double fs = 44100.0) {
    Filter flt(fs, type, f, q, g);
    flt.setStatus(1);
    return flt;
}

// Runs a signal through in engine-sized blocks.
void run(Filter& flt, std::vector<double>& v, int block = 32) {
    for (size_t i = 0; i < v.size(); i += block)
        flt.processFrame(&v[i], static_cast<int>(std::min<size_t>(block, v.size() - i)));
}

bool sameBits(const std::vector<double>& a, const std::vector<double>& b) {
    return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(double)) == 0;
}

std::vector<double> coeffs(const Filter::Coefficients& c) { return {c.b0, c.b1, c.b2, c.a1, c.a2}; }

void expectClose(const Filter::Coefficients& a, const Filter::Coefficients& b, double tol) {
    const auto x = coeffs(a), y = coeffs(b);
    for (int i = 0; i < 5; ++i) EXPECT_NEAR(x[i], y[i], tol) << "coefficient " << i;
}

// Textbook cookbook biquads in their usual alpha form, Q narrowed towards
// Nyquist; normalised {b0, b1, b2, a1, a2}.
std::vector<double> cookbook(int type, double f, double q, double g, double fs) {
    const double w0 = 2 * kPi * f / fs, cw = std::cos(w0), A = std::pow(10.0, g / 40);
    const double p = type == 1 ? 6 : type == 3 ? 3.5 : type == 4 ? 2.8 : 4;
    const double alpha = std::sin(w0) / (2 * q * (1 - std::pow(2 * f / (1.0002 * fs), p)));
    const double k = 2 * std::sqrt(A) * alpha, P = A + 1, M = A - 1;
    std::vector<double> c;  // b0, b1, b2, a0, a1, a2
    if (type == 1) c = {(1 + cw) / 2, -(1 + cw), (1 + cw) / 2, 1 + alpha, -2 * cw, 1 - alpha};
    if (type == 3) c = {A * (P - M * cw + k), 2 * A * (M - P * cw), A * (P - M * cw - k),
                        P + M * cw + k, -2 * (M + P * cw), P + M * cw - k};
    if (type == 4) c = {1 + alpha * A, -2 * cw, 1 - alpha * A, 1 + alpha / A, -2 * cw, 1 - alpha / A};
    if (type == 7) c = {A * (P + M * cw + k), -2 * A * (M + P * cw), A * (P + M * cw - k),
                        P - M * cw + k, 2 * (M - P * cw), P - M * cw - k};
    return {c[0] / c[3], c[1] / c[3], c[2] / c[3], c[4] / c[3], c[5] / c[3]};
}

}  // namespace

TEST(FilterResponse, DestinationCoefficientsFollowCookbook) {
    for (int type : {1, 3, 4, 7})
        for (double fs : {44100.0, 96000.0})
            for (double f : {30.0, 1000.0, 18000.0})
                for (double q : {0.4, 2.0})
                    for (double g : {-12.0, 6.0}) {
                        const auto have = coeffs(makeFilter(type, f, q, g, fs).getDestination());
                        const auto want = cookbook(type, f, q, g, fs);
                        for (int i = 0; i < 5; ++i)
                            EXPECT_NEAR(have[i], want[i], 1e-9 * std::max(1.0, std::fabs(want[i])))
                                << type << " " << fs << " " << f << " " << q << " " << g << " #" << i;
                    }
    // A flat peaking filter is an exact identity: its zeros cancel its poles.
    const auto flat = makeFilter(Filter::kPeaking, 2500, 3.0, 0.0).getDestination();
    EXPECT_TRUE(flat.b0 == 1.0 && flat.b1 == flat.a1 && flat.b2 == flat.a2);
}

// Settled, the filter is the plain difference equation with the flush of
// tiny values, bit for bit, however the buffer is split. (Splitting during
// glides: ProcessingTest, through the engine.)
TEST(FilterProcess, SteadyOutputEqualsPlainDifferenceEquationBitForBit) {
    Filter flt = makeFilter(Filter::kHighShelf, 4000, 0.8, -7.5);
    const auto c = flt.getDestination();
    std::vector<double> in = sine(500, 3100), want(in.size());
    for (size_t i = 0; i < 40; ++i) in[i] *= 1e-33;  // small enough for the flush to act
    double x1 = 0, x2 = 0, y1 = 0, y2 = 0;
    for (size_t i = 0; i < in.size(); ++i) {
        double y = c.b0 * in[i] + c.b1 * x1 + c.b2 * x2 - c.a1 * y1 - c.a2 * y2;
        x2 = x1, x1 = in[i];
        y = y + 1e-30 - 1e-30;
        y2 = y1, y1 = want[i] = y;
    }
    run(flt, in, 17);
    EXPECT_TRUE(sameBits(in, want));
}

TEST(FilterGlide, RecomputeMidGlideRestartsFromIntermediateResponse) {
    Filter flt = makeFilter(Filter::kPeaking, 500, 1.0, 0.0);
    flt.finishGlide(false);
    flt.setGain(12.0);
    std::vector<double> v = sine(1000, 440);
    run(flt, v);
    const auto before = flt.getActive();
    flt.setFreq(4000);
    EXPECT_EQ(flt.rampRemaining(), flt.rampLength());
    double x = 0.1;
    flt.processFrame(&x, 1);
    expectClose(flt.getActive(), before, 1e-3);
    EXPECT_GT(std::fabs(flt.getDestination().a1 - before.a1), 0.1);

    // The moving zeros, poles and gain land on the destination response.
    std::vector<double> w = sine(flt.rampLength() - 1, 440);
    run(flt, w);
    EXPECT_EQ(flt.rampRemaining(), 0u);
    expectClose(flt.getActive(), flt.getDestination(), 1e-9);

    // finishGlide ends a glide on its destination; the next glide starts there.
    flt.setGain(-6.0);
    run(flt, v);
    flt.finishGlide(false);
    EXPECT_EQ(flt.rampRemaining(), 0u);
    flt.setGain(-6.0);
    flt.processFrame(&x, 1);
    expectClose(flt.getActive(), flt.getDestination(), 1e-9);
}

// What the last sample used does not change with what comes after it:
// new settings, a finished glide or a reset.
TEST(FilterGlide, ActiveStaysWhatTheLastSampleUsed) {
    auto same = [](const Filter::Coefficients& a, const Filter::Coefficients& b) {
        return a.a1 == b.a1 && a.a2 == b.a2 && a.b0 == b.b0 && a.b1 == b.b1 && a.b2 == b.b2;
    };
    Filter flt = makeFilter(Filter::kPeaking, 500, 1.0, 6.0);
    flt.finishGlide(false);
    std::vector<double> v = sine(100, 440);
    run(flt, v);  // steady: the destination
    Filter::Coefficients used = flt.getActive();
    EXPECT_TRUE(same(used, flt.getDestination()));
    flt.setGain(-6.0);
    EXPECT_TRUE(same(flt.getActive(), used));

    run(flt, v);  // gliding all through: the glide's position
    used = flt.getActive();
    EXPECT_FALSE(same(used, flt.getDestination()));
    flt.setFreq(2000);
    EXPECT_TRUE(same(flt.getActive(), used));
    flt.finishGlide(false);
    EXPECT_TRUE(same(flt.getActive(), used));
    flt.reset();
    EXPECT_TRUE(same(flt.getActive(), used));
}

TEST(FilterStatus, OffGlidesToWireThenBypassesWithClearedHistory) {
    Filter flt = makeFilter(Filter::kPeaking, 1000, 2.0, 12.0);
    flt.finishGlide(false);
    std::vector<double> v = sine(1000, 1000);
    run(flt, v);
    flt.setStatus(0);

    // Setting the same status mid-glide changes nothing; the glide ends on a
    // wire, and then the buffer is passed untouched.
    std::vector<double> a = sine(2000, 1000), b = a;
    run(flt, v);
    Filter twin = flt;
    flt.setStatus(0);
    run(flt, a);
    run(twin, b);
    EXPECT_TRUE(sameBits(a, b));
    expectClose(flt.getActive(), flt.getDestination(), 1e-9);
    EXPECT_NEAR(a.back(), sine(2000, 1000).back(), 1e-6);

    std::vector<double> untouched = {1e-40, -0.5, kNaN}, copy = untouched;
    flt.processFrame(untouched.data(), 3);
    EXPECT_TRUE(sameBits(untouched, copy));

    // A cleared history rings with nothing when the filter comes back on.
    flt.finishGlide(true);
    flt.setStatus(1);
    std::vector<double> zeros(64, 0.0);
    run(flt, zeros);
    EXPECT_EQ(zeros, std::vector<double>(64, 0.0));
}

// Frequencies stay below Nyquist; a rate out of range is taken as 44100.
// A filter set up like the other channel's takes that one's response over:
// bit for bit what it would work out itself, whatever the other went through.
TEST(FilterSetters, TakingATwinsResponseOverChangesNothing) {
    auto same = [](const Filter& a, const Filter& b) {
        const Filter::Coefficients x = a.getDestination(), y = b.getDestination();
        return std::memcmp(&x, &y, sizeof x) == 0 &&
               std::memcmp(&a.state().position, &b.state().position, 2 * sizeof(Filter::PoleZero)) == 0;
    };
    Filter::Settings s;
    s.type = Filter::kPeaking;
    s.status = 1;
    s.freq = 1200;
    s.q = 0.7;
    s.gain = 4.5;
    Filter left(48000, 0, 0, 0, 0), right(48000, 0, 0, 0, 0), alone(48000, 0, 0, 0, 0);
    for (Filter* f : {&left, &right, &alone})
        f->finishGlide(false);
    left.apply(s);
    right.apply(s, &left);
    alone.apply(s);
    EXPECT_TRUE(same(right, alone));

    // Other values, another rate, a reset or a filter never set up: each
    // works its response out.
    Filter::Settings other = s;
    other.gain = -3.0;
    right.apply(other, &left);
    alone.apply(other);
    EXPECT_TRUE(same(right, alone));
    Filter faster(96000, 0, 0, 0, 0);
    faster.apply(s);
    right.apply(s, &faster);
    alone.apply(s);
    EXPECT_TRUE(same(right, alone));
    left.reset();
    right.apply(other, &left);
    alone.apply(other);
    right.apply(s, &left);
    alone.apply(s);
    EXPECT_TRUE(same(right, alone));
    Filter fresh(48000, Filter::kPeaking, 1200, 0.7, -3.0);
    right.apply(other, &fresh);
    alone.apply(other);
    EXPECT_TRUE(same(right, alone));
}

TEST(FilterSetters, ClampsAndRates) {
    Filter flt(44100.0, Filter::kPeaking, 1000.0, 1.0, 0.0);
    flt.setFreq(30000);
    flt.setGain(kNaN);  // ignored
    EXPECT_TRUE(flt.getFreq() == 0.499 * 44100 && flt.getGain() == 0.0);
    flt.setSampleRate(10000);
    EXPECT_TRUE(flt.getSampleRate() == 44100.0 && flt.rampLength() == 2205u);
}

// Steady or gliding, ringing dies out to zero without passing through
// subnormals.
TEST(FilterProcess, RingingDiesOutWithoutSubnormals) {
    for (bool gliding : {false, true}) {
        Filter flt = makeFilter(Filter::kHighPass, 12000, 0.3, 0.0);  // real poles and zeros
        flt.finishGlide(!gliding);
        flt.setFreq(15000);
        std::vector<double> v(2205, 0.0);
        v[0] = 1.0;
        run(flt, v);
        for (double y : v) ASSERT_TRUE(y == 0.0 || std::fabs(y) >= std::numeric_limits<double>::min());
        EXPECT_LT(std::fabs(v.back()), 1e-40);
        expectClose(flt.getActive(), flt.getDestination(), 1e-9);
    }
}

// A NaN or infinity anywhere in a block would recirculate through the
// history for ever; the next block starts from a cleared history instead, so
// it equals a filter that has only ever seen silence, bit for bit.
TEST(FilterProcess, NonFiniteInputClearsTheHistoryForTheNextBlock) {
    const double inf = std::numeric_limits<double>::infinity();
    for (bool gliding : {false, true})
        for (double bad : {kNaN, inf, -inf})
            for (size_t at : {size_t{0}, size_t{31}}) {
                Filter flt = makeFilter(Filter::kLowShelf, 300, 0.7, 9.0);
                flt.finishGlide(!gliding);
                flt.setGain(-4.0);
                Filter fresh = flt;
                std::vector<double> poisoned = sine(32, 1000), silence(32, 0.0);
                poisoned[at] = bad;
                flt.processFrame(poisoned.data(), 32);
                fresh.processFrame(silence.data(), 32);

                std::vector<double> after = sine(96, 700), want = after;
                run(flt, after);
                run(fresh, want);
                EXPECT_TRUE(std::isfinite(after[0]));
                EXPECT_TRUE(sameBits(after, want)) << gliding << " " << bad << " at " << at;
            }
}
