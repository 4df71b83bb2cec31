#ifndef SYLVATONE_ENGINE_FILTER_H
#define SYLVATONE_ENGINE_FILTER_H

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
    void apply(const Settings& s);

    // Ends any glide at its destination and sets jump mode.
    void finishGlide(bool jumpMode);
    // Clears history and glide and puts the pole-zero state back to its
    // initial value; the destination coefficients stay.
    void reset();
    // Filters count samples in place.
    void processFrame(double* buffer, int count);

    double getSampleRate() const { return sampleRate; }
    int getType() const { return type; }
    double getFreq() const { return freq; }
    double getQ() const { return q; }
    double getGain() const { return gain; }
    int getStatus() const { return status; }
    bool isJumpMode() const { return jumpMode; }
    std::uint64_t rampRemaining() const { return rampRemaining_; }
    std::uint64_t rampLength() const { return rampLength_; }
    Coefficients getDestination() const { return {dA1, dA2, dB0, dB1, dB2}; }
    // Coefficients the last processed sample used.
    Coefficients getActive() const { return {cA1, cA2, cB0, cB1, cB2}; }

private:
    // The stereo chain kernel runs the same arithmetic on two filters at once.
    friend class StereoChain;

    struct PoleZero {
        double zr1, zi1, zr2, zi2;  // zeros
        double pr1, pi1, pr2, pi2;  // poles
        double gain;
    };
    // Per-sample steps of a glide.
    struct Increments {
        double zr1, zr2, zi1, zi2, pr1, pr2, pi1, pi2, gain;
    };

    void recompute();
    void computeDestinationCoefficients();
    void computeDestinationPoleZero();
    void startGlide();

    double sampleRate;
    int type;
    double freq;
    double q;
    double gain;
    int status = 0;

    // Destination coefficients, b and a already divided by a0.
    double dA1 = 0.0, dA2 = 0.0, dB0 = 1.0, dB1 = 0.0, dB2 = 0.0;
    // Active coefficients.
    double cA1 = 0.0, cA2 = 0.0, cB0 = 1.0, cB1 = 0.0, cB2 = 0.0;

    double x1 = 0.0, x2 = 0.0;
    double y1 = 0.0, y2 = 0.0;

    PoleZero current;
    PoleZero destination;
    Increments increments;

    // Trailing underscore: the plain names are the read-out functions.
    std::uint64_t rampRemaining_ = 0;
    std::uint64_t rampLength_;
    bool jumpMode = true;
};

#endif  // SYLVATONE_ENGINE_FILTER_H
