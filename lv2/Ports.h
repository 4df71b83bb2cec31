// The LV2 edition's control ports, one per parameter a user steers, in the
// control's own units: dB, Hz, on/off, left/stereo/right. Both the plug-in
// and the description generator read them from here, so the values a host
// sends decode exactly as the description promises.
#pragma once

#include "engine/Parameters.h"

namespace lv2ports {

enum class Style {
    Toggle,    // 0 or 1
    Channels,  // 0 left, 1 stereo, 2 right
    Decibels,  // -15 to +15 in 0.5 dB steps
    Table,     // one of a frequency table's values in Hz
};

struct ControlPort {
    int param;          // the engine's parameter index
    const char* name;   // as the VST shows it
    char symbol[16];    // the name in lower case, other characters as '_'
    Style style;
    FreqTable table;    // Table only
    float minimum, maximum;
};

// Audio ports come first, then the latency output, then the controls.
enum : int { kInL, kInR, kOutL, kOutR, kLatency, kFirstControl };

constexpr int kMaxControls = kNumParams;
// The control ports in parameter order; *count receives their number.
const ControlPort* controlPorts(int* count);

// The normalised value the engine takes for a port value (as the editor and
// the command-line host write it: step k of n is k/(n-1), a gain in dB is
// (dB + 15) / 30 after snapping to 0.5 dB, channels 0, 0.5, 1).
float toNormalised(const ControlPort& port, float value);

// The port value a normalised value decodes to; toNormalised of it decodes
// the same way.
float fromNormalised(const ControlPort& port, float normalised);

}  // namespace lv2ports
