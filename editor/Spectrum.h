// The spectrum of the last 4096 samples of a signal, as the response panel
// shows it: a Hann window, FFTW's real transform, levels relative to a
// full-scale sine and smoothed over time. User-interface thread only.
#pragma once

#include <vector>

class Spectrum {
public:
    static constexpr int kSize = 4096;
    static constexpr int kBins = kSize / 2 + 1;

    Spectrum();
    ~Spectrum();
    Spectrum(const Spectrum&) = delete;
    Spectrum& operator=(const Spectrum&) = delete;

    // Appends samples to the history (the last kSize are kept).
    void take(const float* samples, int count);
    // Transforms the history and moves the shown levels towards it.
    void update();
    // Everything back to silence.
    void clear();

    // The highest smoothed level, in dB, of the bins between two frequencies
    // at a sample rate (at least the nearest bin).
    double levelDb(double lowHz, double highHz, double rate) const;

private:
    std::vector<float> history;  // a ring of kSize samples
    int next = 0;
    std::vector<double> power;   // smoothed, per bin
    std::vector<double> window;
    double* in = nullptr;
    void* out = nullptr;  // fftw_complex[kBins]
    void* plan = nullptr;
};
