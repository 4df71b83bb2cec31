// The equaliser's frequency response as its filters now aim, computed from
// the destination coefficients the engine runs (at the internal rate), the
// output gain target and, when the engine oversamples, the interpolation
// and decimation around them. What a steady sine at that frequency comes out
// as, saturation aside.
#pragma once

#include <complex>

class EqEngine;

namespace response {

// The groups of filters a curve can show on their own.
enum Group { kLowCut, kLf, kLmf, kHmf, kHf, kGroupCount };

// The whole chain of channel 0 (left) or 1 (right) at hz (host-rate
// frequencies, 0 < hz < half the host rate): the bands when the master
// switch and the channel selection let them run on that channel, the output
// gain, the low cut.
std::complex<double> chain(const EqEngine& engine, int channel, double hz);

// A group's filters alone, at the internal rate, in dB.
double groupDb(const EqEngine& engine, int channel, Group group, double hz);

// Whether a group changes the sound of the channel at all: switched on (for
// the low cut: not OFF) and, for the bands, running on that channel.
bool groupActive(const EqEngine& engine, int channel, Group group);

// The frequency a group is set to, in Hz.
double groupFrequency(const EqEngine& engine, int channel, Group group);

// Whether the bands run on the channel.
bool bandsRun(const EqEngine& engine, int channel);

inline double toDb(std::complex<double> h)
{
    return 20.0 * std::log10(std::abs(h) > 1e-30 ? std::abs(h) : 1e-30);
}

}  // namespace response
