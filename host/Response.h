// `sylvatone response`: the plug-in's magnitude response, measured with a
// unit impulse through its real processing path, plotted and tabulated.
#pragma once

#include <complex>
#include <string>
#include <vector>

#include "host/Options.h"

class PluginHost;

// In-place radix-2 FFT (forward, unscaled); the size must be a power of two.
void fft(std::vector<std::complex<double>>& x);

struct MagnitudeResponse {
    double rate = 0.0;
    size_t size = 0;                  // FFT length
    std::vector<double> left, right;  // |H| at bins 0..size/2

    // |H| in dB at freq, interpolated between bins; channel 0 left, 1 right.
    double db(int channel, double freq) const;
    // Whether the two channels respond alike (within 0.01 dB) over the audio band.
    bool channelsAgree() const;
};

// Measures a started stereo plug-in running at rate (in 64-bit when it
// can): about 0.2 s of silence so parameter glides settle, then a unit
// impulse in both channels; the response is read from just before the
// reported latency on. HostError when the output is silent or not finite.
MagnitudeResponse measureResponse(PluginHost& host, double rate);

// Loads and starts the plug-in at rate, applies the options and measures;
// *title receives the program and settings in effect.
MagnitudeResponse measurePluginResponse(const PluginOptions& options, double rate,
                                        std::string* title);

// Writes "frequency_hz,magnitude_db" rows at 1/24-octave points from 20 Hz
// to 20 kHz (below Nyquist), with a magnitude_db_right column when the
// channels differ.
std::string responseTable(const MagnitudeResponse& response);

// The plot (900 x 450 PNG) of the response, titled.
void plotMagnitudeResponse(const MagnitudeResponse& response, const std::string& title,
                           const std::string& pngPath);

// Runs `response` with the arguments after the command name.
int responseCommand(ArgList& args);
