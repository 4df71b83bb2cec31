// Look-ahead saturation stage at the host rate, for two channels that share
// one write position. Each output sample is the input delayed by N / 2
// samples, scaled by a gain taken from the windowed peak of the N magnitudes
// around it; switched off, the stage is the same delay without the gain.
#ifndef SYLVATONE_ENGINE_SATURATOR_H
#define SYLVATONE_ENGINE_SATURATOR_H

// Window length N for a host rate: trunc(rate / 1500), made odd, kept within
// 1 .. 1023 for absurd or invalid rates.
int satLengthFor(double hostRate);

// Not thread-safe: configure() and clear() belong to resume, the process
// calls to the audio thread. Holds everything inline; nothing is allocated.
class Saturator {
public:
    static constexpr int kRingSize = 1024;
    static constexpr int kMaxBlock = 64;  // samples per call searched in one go

    Saturator();   // configured for 44100 Hz

    // Sets N and the window for the host rate, clears the rings.
    void configure(double hostRate);

    // Zeroes all rings and sets the write position to 1023.
    void clear();

    // Processes m samples of each channel in place; left and right must not
    // overlap. With on false the stage is a plain delay and the magnitude
    // rings keep what they hold.
    void processStereo(double* left, double* right, int m, bool on);

    // One channel through the left-hand rings; the shared position advances.
    void processMono(double* x, int m, bool on);

    // The look-ahead delay N / 2 in host samples.
    int latencySamples() const { return satLength / 2; }

    int length() const { return satLength; }
    double window(int k) const { return satWindow[k]; }

private:
    double processSample(int channel, double s, bool on, int p);
    void processBlock(double* const* channels, int count, int m, bool on);

    static constexpr int kMask = kRingSize - 1;

    alignas(64) double satDelay[2][kRingSize];
    // |s| of ring slot p is kept at [kMask - p] and again at [kMask - p +
    // kRingSize] of magnitudes(): seen from the write position, the N
    // magnitudes the window covers then lie in one contiguous run, in window
    // order. Eight zeros lead each channel's, for the searches' vector loads
    // to start before the first.
    static constexpr int kLead = 8;
    double* magnitudes(int channel) { return satMagnitude[channel] + kLead; }
    alignas(64) double satMagnitude[2][kLead + 2 * kRingSize];
    alignas(64) double satWindow[kRingSize];
    // The window places by falling weight, and their weights: the searches
    // try the heaviest first and stop when the rest cannot matter.
    int satOrder[kRingSize];
    alignas(64) double satFalling[kRingSize];
    int satIndex = kMask;
    int satLength = 1;
};

#endif
