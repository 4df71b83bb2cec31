#include "engine/Filter.h"

#include <atomic>
#include <cmath>
#include <cstring>

#include "engine/Flush.h"

// Results must match the plain formulas bit for bit, so a * b + c must never
// be fused into one rounding, even when the target has FMA instructions.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC optimize("fp-contract=off")
#endif

namespace {

constexpr double kTwoPi = 6.283185307179586;

constexpr double kMinFreq = 0.001;
constexpr double kMaxFreqRatio = 0.499;
constexpr double kMinQ = 0.0001;
constexpr double kMaxQ = 1000.0;
constexpr double kMaxGainDb = 1000.0;
constexpr double kMinRate = 20000.0;
constexpr double kMaxRate = 400000.0;
constexpr double kFallbackRate = 44100.0;

// Exponents of the bandwidth correction near Nyquist, per type.
constexpr double kHighPassExp = 6.0;
constexpr double kLowShelfExp = 3.5;
constexpr double kPeakingExp = 2.8;
constexpr double kHighShelfExp = 4.0;

// Glide length, trunc(rate * 50 ms). Rates only the constructor can pass
// (negative, NaN, absurdly large) map to values that are safe to convert.
std::uint64_t glideLength(double rate) {
    const double samples = rate * 50 / 1000;
    if (!(samples >= 0.0)) return 0;
    if (samples >= 9.2e18) return std::uint64_t{1} << 63;
    return static_cast<std::uint64_t>(samples);
}

// One glide step: zeros, poles and gain move by their increments.
inline void advance(Filter::PoleZero& p, const Filter::PoleZero& step) {
    p.zr1 += step.zr1;
    p.zr2 += step.zr2;
    p.zi1 += step.zi1;
    p.zi2 += step.zi2;
    p.pr1 += step.pr1;
    p.pr2 += step.pr2;
    p.pi1 += step.pi1;
    p.pi2 += step.pi2;
    p.gain += step.gain;
}

// Initial pole-zero state (construction and reset): zero 1 at 1.0, gain
// 1.0, every other part 0.
constexpr Filter::PoleZero kStartPosition{1.0, 0, 0, 0, 0, 0, 0, 0, 1.0};

// Where a new filter's change count starts: 2^40 apart from the last one's,
// more changes than a filter makes in years of audio.
std::uint64_t firstCount() {
    static std::atomic<std::uint64_t> filters{0};
    return filters.fetch_add(1, std::memory_order_relaxed) << 40;
}

}  // namespace

Filter::Filter(double sampleRate, int type, double freq, double q, double gain)
    : sampleRate(sampleRate), type(type), freq(freq), q(q), gain(gain),
      state_{History{}, kStartPosition, PoleZero{}, 0},
      destinationPoleZero(kStartPosition),
      rampLength_(glideLength(sampleRate)),
      changes_(firstCount()) {}

void Filter::setType(int value) {
    Settings s;
    s.type = value;
    apply(s);
}

void Filter::setFreq(double hz) {
    Settings s;
    s.freq = hz;
    apply(s);
}

void Filter::setQ(double value) {
    Settings s;
    s.q = value;
    apply(s);
}

void Filter::setGain(double dB) {
    Settings s;
    s.gain = dB;
    apply(s);
}

void Filter::setSampleRate(double hz) {
    if (std::isnan(hz)) return;
    if (hz < kMinRate || hz > kMaxRate) hz = kFallbackRate;
    sampleRate = hz;
    rampLength_ = glideLength(hz);
    recompute();
}

void Filter::setStatus(int value) {
    Settings s;
    s.status = value;
    apply(s);
}

void Filter::apply(const Settings& s, const Filter* twin) {
    bool changed = false;
    if (s.type) {
        type = *s.type;
        changed = true;
    }
    if (s.status && *s.status != status) {
        status = *s.status;
        changed = true;
    }
    if (!std::isnan(s.freq)) {
        double hz = s.freq;
        if (hz < kMinFreq) hz = kMinFreq;
        if (hz > kMaxFreqRatio * sampleRate) hz = kMaxFreqRatio * sampleRate;
        freq = hz;
        changed = true;
    }
    if (!std::isnan(s.q)) {
        double value = s.q;
        if (value < kMinQ) value = kMinQ;
        if (value > kMaxQ) value = kMaxQ;
        q = value;
        changed = true;
    }
    if (!std::isnan(s.gain)) {
        double dB = s.gain;
        if (dB < -kMaxGainDb) dB = -kMaxGainDb;
        if (dB > kMaxGainDb) dB = kMaxGainDb;
        gain = dB;
        changed = true;
    }
    if (changed)
        recompute(twin);
}

void Filter::finishGlide(bool jumpMode) {
    settleActive();
    ++changes_;
    this->jumpMode = jumpMode;
    state_.position = destinationPoleZero;
    state_.step = PoleZero{};
    state_.glideRemaining = 0;
}

void Filter::reset() {
    settleActive();
    ++changes_;
    designed = false;
    state_ = State{History{}, kStartPosition, PoleZero{}, 0};
    destinationPoleZero = kStartPosition;
}

void Filter::recompute(const Filter* twin) {
    settleActive();
    ++changes_;
    if (twin && twin->designedLike(*this)) {
        destination = twin->destination;
        destinationPoleZero = twin->destinationPoleZero;
    } else {
        computeDestinationCoefficients();
        computeDestinationPoleZero();
    }
    designed = true;
    startGlide();
}

// The destination depends on these values alone; compared bit for bit.
bool Filter::designedLike(const Filter& other) const {
    auto same = [](double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; };
    return designed && type == other.type && status == other.status && same(freq, other.freq) &&
           same(q, other.q) && same(gain, other.gain) && same(sampleRate, other.sampleRate);
}

// Cookbook responses; the effective Q shrinks towards Nyquist, which widens
// the response there and keeps it from cramping against fs / 2.
void Filter::computeDestinationCoefficients() {
    double a0 = 1.0, a1 = 0.0, a2 = 0.0, b0 = 1.0, b1 = 0.0, b2 = 0.0;
    if (status != 0) {
        const double fs = sampleRate;
        const double f = freq;
        const double w = kTwoPi * f / fs;
        const double c = std::cos(w);
        const double s = std::sin(w);
        const double A = std::pow(10.0, gain / 40);
        const double ratio = f / (0.5001 * fs);
        switch (type) {
        case kHighPass: {
            const double qe = q * (1 - std::pow(ratio, kHighPassExp));
            const double alpha = s / (2 * qe);
            a0 = 1 + alpha;
            a1 = -2 * c / a0;
            a2 = (1 - alpha) / a0;
            b0 = (1 + c) / 2 / a0;
            b1 = -(1 + c) / a0;
            b2 = b0;
            break;
        }
        case kLowShelf: {
            const double qe = q * (1 - std::pow(ratio, kLowShelfExp));
            const double beta = std::sqrt(A) * s / qe;
            a0 = (A + 1) + (A - 1) * c + beta;
            a1 = -2 * ((A - 1) + (A + 1) * c) / a0;
            a2 = ((A + 1) + (A - 1) * c - beta) / a0;
            b0 = A * ((A + 1) - (A - 1) * c + beta) / a0;
            b1 = 2 * A * ((A - 1) - (A + 1) * c) / a0;
            b2 = A * ((A + 1) - (A - 1) * c - beta) / a0;
            break;
        }
        case kPeaking: {
            const double qe = q * (1 - std::pow(ratio, kPeakingExp));
            const double alpha = s / (2 * qe);
            a0 = 1 + alpha / A;
            a1 = -2 * c / a0;
            b1 = a1;
            a2 = (1 - alpha / A) / a0;
            b0 = (1 + alpha * A) / a0;
            b2 = (1 - alpha * A) / a0;
            break;
        }
        case kHighShelf: {
            const double qe = q * (1 - std::pow(ratio, kHighShelfExp));
            const double beta = std::sqrt(A) * s / qe;
            a0 = (A + 1) - (A - 1) * c + beta;
            a1 = 2 * ((A - 1) - (A + 1) * c) / a0;
            a2 = ((A + 1) - (A - 1) * c - beta) / a0;
            b0 = A * ((A + 1) + (A - 1) * c + beta) / a0;
            b1 = -2 * A * ((A - 1) + (A + 1) * c) / a0;
            b2 = A * ((A + 1) + (A - 1) * c - beta) / a0;
            break;
        }
        default:
            break;  // unknown type: stays a wire
        }
    }
    destination = {a1, a2, b0, b1, b2};
}

// Roots of b0 z^2 + b1 z + b2 (zeros) and z^2 + a1 z + a2 (poles), and the
// gain b0: the representation the glide interpolates.
void Filter::computeDestinationPoleZero() {
    PoleZero& d = destinationPoleZero;
    const double dA1 = destination.a1, dA2 = destination.a2;
    const double dB0 = destination.b0, dB1 = destination.b1, dB2 = destination.b2;

    const double dz = dB1 * dB1 - 4 * dB0 * dB2;
    if (dz >= 0) {
        const double r = std::sqrt(dz);
        d.zr1 = (-dB1 - r) / (2 * dB0);
        d.zr2 = (-dB1 + r) / (2 * dB0);
        d.zi1 = 0.0;
        d.zi2 = 0.0;
    } else {
        d.zr1 = dB1 / (-2 * dB0);
        d.zr2 = d.zr1;
        d.zi1 = std::sqrt(-dz) / (-2 * dB0);
        d.zi2 = -d.zi1;
    }

    const double dp = dA1 * dA1 - 4 * dA2;
    if (dp >= 0) {
        const double r = std::sqrt(dp);
        d.pr1 = (-dA1 - r) / 2;
        d.pr2 = (r - dA1) / 2;
        d.pi1 = 0.0;
        d.pi2 = 0.0;
    } else {
        d.pr1 = -dA1 / 2;
        d.pr2 = d.pr1;
        d.pi1 = -std::sqrt(-dp) / 2;
        d.pi2 = std::sqrt(-dp) / 2;
    }

    d.gain = dB0;
}

// Starts a full-length glide from wherever the current state stands, or
// takes the destination over at once in jump mode. A zero-length glide
// (only reachable through a constructor rate below 20 Hz) also jumps, since
// its increments would be infinite.
void Filter::startGlide() {
    if (jumpMode || rampLength_ == 0) {
        state_.position = destinationPoleZero;
        state_.step = PoleZero{};
        state_.glideRemaining = 0;
        return;
    }
    const double len = static_cast<double>(rampLength_);
    const PoleZero& d = destinationPoleZero;
    const PoleZero& c = state_.position;
    PoleZero& inc = state_.step;
    inc.zr1 = flushDenormal((d.zr1 - c.zr1) / len);
    inc.zr2 = flushDenormal((d.zr2 - c.zr2) / len);
    inc.zi1 = flushDenormal((d.zi1 - c.zi1) / len);
    inc.zi2 = flushDenormal((d.zi2 - c.zi2) / len);
    inc.pr1 = flushDenormal((d.pr1 - c.pr1) / len);
    inc.pr2 = flushDenormal((d.pr2 - c.pr2) / len);
    inc.pi1 = flushDenormal((d.pi1 - c.pi1) / len);
    inc.pi2 = flushDenormal((d.pi2 - c.pi2) / len);
    inc.gain = flushDenormal((d.gain - c.gain) / len);
    state_.glideRemaining = rampLength_;
}

// Hot path. The block splits into a gliding part, where the coefficients are
// rebuilt from the moving poles, zeros and gain every sample, and a steady
// part on the destination coefficients. State lives in locals for the loops;
// every sample is computed with exactly the plain formula's operations.
void Filter::processFrame(double* buffer, int count) {
    if (isBypassed()) {
        clearHistory();
        return;
    }
    if (buffer == nullptr || count <= 0) return;

    const State& start = state_;
    double xm1 = start.history.x1, xm2 = start.history.x2;
    double ym1 = start.history.y1, ym2 = start.history.y2;
    PoleZero pz = start.position;
    const int glide = glideSamples(count);
    int i = 0;

    if (glide > 0) {
        const PoleZero inc = start.step;
        for (; i < glide; ++i) {
            advance(pz, inc);
            const Coefficients c = coefficientsAt(pz);
            const double xin = buffer[i];
            double y = c.b0 * xin + c.b1 * xm1 + c.b2 * xm2 - c.a1 * ym1 - c.a2 * ym2;
            xm2 = xm1;
            xm1 = xin;
            y = flushDenormal(y);
            ym2 = ym1;
            ym1 = y;
            buffer[i] = y;
        }
    }

    if (i < count) {
        const Coefficients c = destination;
        for (; i < count; ++i) {
            const double xin = buffer[i];
            double y = c.b0 * xin + c.b1 * xm1 + c.b2 * xm2 - c.a1 * ym1 - c.a2 * ym2;
            xm2 = xm1;
            xm1 = xin;
            y = flushDenormal(y);
            ym2 = ym1;
            ym1 = y;
            buffer[i] = y;
        }
    }

    if (glide > 0)
        endBlock(count, {xm1, xm2, ym1, ym2}, pz);
    else
        endBlock(count, {xm1, xm2, ym1, ym2});
}
