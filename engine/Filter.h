#ifndef SYLVATONE_ENGINE_FILTER_H
#define SYLVATONE_ENGINE_FILTER_H

#include <cmath>
#include <cstdint>
#include <optional>

// Second-order (biquad) section used for every band and the low cut.
//
// Every change of type, frequency, Q, gain, status or sample rate computes a
// destination response. Outside jump mode the filter then glides to it over
// 50 ms by moving its zeros, poles and gain in straight lines, one step per
// sample, so a parameter change never steps the response. Status 0 glides to
// a wire and then bypasses the buffer with the history cleared.
//
// Single-threaded: the engine calls the setters and processFrame from one
// thread. Nothing here allocates.
class Filter {
public:
    // Response types the engine uses; any other value gives a wire.
    static constexpr int kHighPass = 1;
    static constexpr int kLowShelf = 3;
    static constexpr int kPeaking = 4;
    static constexpr int kHighShelf = 7;
    // A type the filter does not know, so a wire (flat response): what two
    // companion filters start as, before the band design first types them.
    static constexpr int kWire = 8;

    // Normalised coefficients of y = b0 x0 + b1 x1 + b2 x2 - a1 y1 - a2 y2.
    struct Coefficients {
        double a1, a2, b0, b1, b2;
    };

    // Stores the values as given (no clamps), status 0, jump mode on. No
    // response is computed until the first setter call.
    Filter(double sampleRate, int type, double freq, double q, double gain);

    // Each setter stores its (clamped) value and recomputes the destination.
    // A NaN argument is ignored.
    void setType(int value);
    void setFreq(double hz);            // 0.001 ... 0.499 * sample rate
    void setQ(double value);            // 0.0001 ... 1000
    void setGain(double dB);            // -1000 ... +1000
    void setSampleRate(double hz);      // outside 20000 ... 400000 -> 44100
    void setStatus(int value);          // no effect when unchanged

    // Several setter calls at once: fields left at their defaults are not
    // set. apply() stores each given value as its setter would (clamps, NaN
    // ignored, an unchanged status no change) and recomputes once if any of
    // those setters would have: the same final state as calling them one
    // after another with no samples in between, for a fraction of the work.
    struct Settings {
        std::optional<int> type;
        std::optional<int> status;
        double freq = __builtin_nan("");
        double q = __builtin_nan("");
        double gain = __builtin_nan("");
    };
    // twin, when given: a filter just set up the same way (the other
    // channel's). Where it holds the same values and rate, its response is
    // taken over, bit for bit what working it out would give, for none of
    // the work.
    void apply(const Settings& s, const Filter* twin = nullptr);

    // Ends any glide at its destination and sets jump mode.
    void finishGlide(bool jumpMode);
    // Clears history and glide and puts the pole-zero state back to its
    // initial value; the destination coefficients stay.
    void reset();
    // Filters count samples in place.
    void processFrame(double* buffer, int count);

    // Zeros, poles and gain: where a glide stands, or its step per sample.
    struct PoleZero {
        double zr1, zr2, zi1, zi2;  // zeros
        double pr1, pr2, pi1, pi2;  // poles
        double gain;
    };
    // The last two inputs and outputs of the difference equation.
    struct History {
        double x1, x2, y1, y2;
    };

    // What a block of samples starts from and leaves behind, for kernels
    // that run blocks outside the filter (the stereo chain runs two filters
    // in one vector register). Such a kernel reads state(), computes what
    // processFrame would, and hands back what it reached through endBlock,
    // which keeps the filter's books. Sample by sample: during the block's
    // first glideSamples(count) the position moves by the step and the
    // coefficients are rebuilt from it (b0 = g, b1 = -g (zr1 + zr2),
    // b2 = g (zr1 zr2 - zi1 zi2), a1 = -(pr1 + pr2), a2 = pr1 pr2 - pi1 pi2),
    // after them they are getDestination(); then y = b0 x + b1 x1 + b2 x2 -
    // a1 y1 - a2 y2 in that order, flushed (Flush.h). A bypassed filter runs
    // no block: its buffer passes and its history is cleared.
    struct State {
        History history;
        PoleZero position;  // where the glide stands
        PoleZero step;      // the glide's step per sample
        std::uint64_t glideRemaining;
    };
    const State& state() const { return state_; }
    // Counts every change of the state or the response: a kernel that keeps
    // a copy of them between blocks knows the copy holds while the count
    // stands. Each filter counts from a number of its own, so no other
    // filter (even one assigned over it) shows the same count.
    std::uint64_t changes() const { return changes_; }
    // Off, with no glide left.
    bool isBypassed() const { return status == 0 && state_.glideRemaining == 0; }
    void clearHistory()
    {
        state_.history = History{};
        ++changes_;
    }
    // How many of the next count samples glide; the rest are steady.
    int glideSamples(int count) const;
    // Leaves the filter as processFrame leaves it after a block of count
    // samples (at least one) that ended on `reached`: the first for a block
    // that did not glide, the second with where the glide got to.
    // Returns false when the history was cleared (not finite) rather than
    // taken as reached.
    bool endBlock(int count, const History& reached);
    bool endBlock(int count, const History& reached, const PoleZero& position);

    double getSampleRate() const { return sampleRate; }
    int getType() const { return type; }
    double getFreq() const { return freq; }
    double getQ() const { return q; }
    double getGain() const { return gain; }
    int getStatus() const { return status; }
    bool isJumpMode() const { return jumpMode; }
    std::uint64_t rampRemaining() const { return state_.glideRemaining; }
    std::uint64_t rampLength() const { return rampLength_; }
    Coefficients getDestination() const { return destination; }
    // Coefficients the last processed sample used.
    Coefficients getActive() const;

private:
    void recompute(const Filter* twin = nullptr);
    bool designedLike(const Filter& other) const;
    void computeDestinationCoefficients();
    void computeDestinationPoleZero();
    void startGlide();
    static Coefficients coefficientsAt(const PoleZero& p);
    bool endSamples(int count, int glided, const History& reached);
    void settleActive();

    double sampleRate;
    int type;
    double freq;
    double q;
    double gain;
    int status = 0;

    // b and a already divided by a0.
    Coefficients destination{0.0, 0.0, 1.0, 0.0, 0.0};
    // What the last sample used, worked out when asked for: as stored, or
    // the destination or the glide's position as they stand. Settled into
    // `active` before either changes.
    enum class Active { kStored, kDestination, kPosition };
    Coefficients active{0.0, 0.0, 1.0, 0.0, 0.0};
    Active activeFrom = Active::kStored;

    State state_;
    PoleZero destinationPoleZero;
    // Trailing underscore: rampLength() reads it out.
    std::uint64_t rampLength_;
    bool jumpMode = true;
    // The destination follows the values (not so before the first setter
    // call, nor after reset).
    bool designed = false;
    std::uint64_t changes_;
};

// Inline: the stereo chain calls these for every filter and block.

inline int Filter::glideSamples(int count) const {
    const std::uint64_t left = state_.glideRemaining;
    return left < static_cast<std::uint64_t>(count) ? static_cast<int>(left) : count;
}

inline bool Filter::endBlock(int count, const History& reached) {
    return endSamples(count, 0, reached);
}

inline bool Filter::endBlock(int count, const History& reached, const PoleZero& position) {
    const int glided = glideSamples(count);
    state_.glideRemaining -= static_cast<std::uint64_t>(glided);
    state_.position = position;
    return endSamples(count, glided, reached);
}

// The coefficients of a glide's position.
inline Filter::Coefficients Filter::coefficientsAt(const PoleZero& p) {
    const double g = p.gain;
    Coefficients c;
    c.b0 = g;
    c.b1 = -g * (p.zr1 + p.zr2);
    c.b2 = g * (p.zr1 * p.zr2 - p.zi1 * p.zi2);
    c.a1 = -(p.pr1 + p.pr2);
    c.a2 = p.pr1 * p.pr2 - p.pi1 * p.pi2;
    return c;
}

inline Filter::Coefficients Filter::getActive() const {
    switch (activeFrom) {
    case Active::kDestination: return destination;
    case Active::kPosition: return coefficientsAt(state_.position);
    default: return active;
    }
}

inline void Filter::settleActive() {
    active = getActive();
    activeFrom = Active::kStored;
}

// The last sample used the destination unless the whole block glided. A NaN
// or infinity that got into the history would recirculate for ever; the
// next block starts clean instead. Finite history is kept as it is.
inline bool Filter::endSamples(int count, int glided, const History& h) {
    ++changes_;
    activeFrom = glided < count ? Active::kDestination : Active::kPosition;
    const bool finite = std::isfinite(h.x1) && std::isfinite(h.x2) && std::isfinite(h.y1) && std::isfinite(h.y2);
    state_.history = finite ? h : History{};
    return finite;
}

#endif  // SYLVATONE_ENGINE_FILTER_H
