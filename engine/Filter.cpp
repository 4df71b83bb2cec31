#include "engine/Filter.h"

#include <cmath>

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
std::uint64_t glideSamples(double rate) {
    const double samples = rate * 50 / 1000;
    if (!(samples >= 0.0)) return 0;
    if (samples >= 9.2e18) return std::uint64_t{1} << 63;
    return static_cast<std::uint64_t>(samples);
}

// Initial pole-zero state (construction and reset): zero 1 at 1.0, gain
// 1.0, every other part 0.
constexpr double kStartZero1 = 1.0;
constexpr double kStartGain = 1.0;

}  // namespace

Filter::Filter(double sampleRate, int type, double freq, double q, double gain)
    : sampleRate(sampleRate), type(type), freq(freq), q(q), gain(gain),
      current{kStartZero1, 0, 0, 0, 0, 0, 0, 0, kStartGain},
      destination(current),
      increments{},
      rampLength_(glideSamples(sampleRate)) {}

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
    rampLength_ = glideSamples(hz);
    recompute();
}

void Filter::setStatus(int value) {
    Settings s;
    s.status = value;
    apply(s);
}

void Filter::apply(const Settings& s) {
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
        recompute();
}

void Filter::finishGlide(bool jumpMode) {
    this->jumpMode = jumpMode;
    current = destination;
    increments = Increments{};
    rampRemaining_ = 0;
}

void Filter::reset() {
    x1 = x2 = 0.0;
    y1 = y2 = 0.0;
    increments = Increments{};
    rampRemaining_ = 0;
    current = PoleZero{kStartZero1, 0, 0, 0, 0, 0, 0, 0, kStartGain};
    destination = current;
}

void Filter::recompute() {
    computeDestinationCoefficients();
    computeDestinationPoleZero();
    startGlide();
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
    dA1 = a1;
    dA2 = a2;
    dB0 = b0;
    dB1 = b1;
    dB2 = b2;
}

// Roots of b0 z^2 + b1 z + b2 (zeros) and z^2 + a1 z + a2 (poles), and the
// gain b0: the representation the glide interpolates.
void Filter::computeDestinationPoleZero() {
    PoleZero& d = destination;

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
        current = destination;
        increments = Increments{};
        rampRemaining_ = 0;
        return;
    }
    const double len = static_cast<double>(rampLength_);
    const PoleZero& d = destination;
    const PoleZero& c = current;
    Increments& inc = increments;
    inc.zr1 = flushDenormal((d.zr1 - c.zr1) / len);
    inc.zr2 = flushDenormal((d.zr2 - c.zr2) / len);
    inc.zi1 = flushDenormal((d.zi1 - c.zi1) / len);
    inc.zi2 = flushDenormal((d.zi2 - c.zi2) / len);
    inc.pr1 = flushDenormal((d.pr1 - c.pr1) / len);
    inc.pr2 = flushDenormal((d.pr2 - c.pr2) / len);
    inc.pi1 = flushDenormal((d.pi1 - c.pi1) / len);
    inc.pi2 = flushDenormal((d.pi2 - c.pi2) / len);
    inc.gain = flushDenormal((d.gain - c.gain) / len);
    rampRemaining_ = rampLength_;
}

// Hot path. The block splits into a gliding part, where the coefficients are
// rebuilt from the moving poles, zeros and gain every sample, and a steady
// part on the destination coefficients. State lives in locals for the loops;
// every sample is computed with exactly the plain formula's operations.
void Filter::processFrame(double* buffer, int count) {
    if (status == 0 && rampRemaining_ == 0) {
        x1 = x2 = y1 = y2 = 0.0;
        return;
    }
    if (buffer == nullptr || count <= 0) return;

    double xm1 = x1, xm2 = x2, ym1 = y1, ym2 = y2;
    int i = 0;

    if (rampRemaining_ > 0) {
        const int glide = rampRemaining_ < static_cast<std::uint64_t>(count)
                              ? static_cast<int>(rampRemaining_)
                              : count;
        const Increments inc = increments;
        PoleZero pz = current;
        double b0 = cB0, b1 = cB1, b2 = cB2, a1 = cA1, a2 = cA2;
        for (; i < glide; ++i) {
            pz.zr1 += inc.zr1;
            pz.zr2 += inc.zr2;
            pz.zi1 += inc.zi1;
            pz.zi2 += inc.zi2;
            pz.pr1 += inc.pr1;
            pz.pr2 += inc.pr2;
            pz.pi1 += inc.pi1;
            pz.pi2 += inc.pi2;
            pz.gain += inc.gain;

            const double g = pz.gain;
            b0 = g;
            b1 = -g * (pz.zr1 + pz.zr2);
            b2 = g * (pz.zr1 * pz.zr2 - pz.zi1 * pz.zi2);
            a1 = -(pz.pr1 + pz.pr2);
            a2 = pz.pr1 * pz.pr2 - pz.pi1 * pz.pi2;

            const double xin = buffer[i];
            double y = b0 * xin + b1 * xm1 + b2 * xm2 - a1 * ym1 - a2 * ym2;
            xm2 = xm1;
            xm1 = xin;
            y = flushDenormal(y);
            ym2 = ym1;
            ym1 = y;
            buffer[i] = y;
        }
        rampRemaining_ -= static_cast<std::uint64_t>(glide);
        current = pz;
        cB0 = b0;
        cB1 = b1;
        cB2 = b2;
        cA1 = a1;
        cA2 = a2;
    }

    if (i < count) {
        cA1 = dA1;
        cA2 = dA2;
        cB0 = dB0;
        cB1 = dB1;
        cB2 = dB2;
        const double b0 = dB0, b1 = dB1, b2 = dB2, a1 = dA1, a2 = dA2;
        for (; i < count; ++i) {
            const double xin = buffer[i];
            double y = b0 * xin + b1 * xm1 + b2 * xm2 - a1 * ym1 - a2 * ym2;
            xm2 = xm1;
            xm1 = xin;
            y = flushDenormal(y);
            ym2 = ym1;
            ym1 = y;
            buffer[i] = y;
        }
    }

    // A NaN or infinity that got into the history would recirculate for ever;
    // start the next block clean instead. Finite history is left untouched.
    if (std::isfinite(xm1) && std::isfinite(xm2) && std::isfinite(ym1) &&
        std::isfinite(ym2)) {
        x1 = xm1;
        x2 = xm2;
        y1 = ym1;
        y2 = ym2;
    } else {
        x1 = x2 = y1 = y2 = 0.0;
    }
}
