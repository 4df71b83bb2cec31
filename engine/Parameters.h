// The equaliser's 42 parameters, declared once: index constants, host names,
// how each normalised value decodes, which band must be recomputed, and
// whether preset data carries it. Decoding, display texts and the real
// values read from this table.
#pragma once

#include "engine/ParamState.h"

enum ParamIndex : int {
    kParamEqAll = 0,
    kParamLsr = 1,
    kParamOutput = 6,
    kParamSat = 7,
    kParamHpfFreq = 9,
    kParamLf = 12,
    kParamLfFreq,
    kParamLfQ,
    kParamLfGain,
    kParamLmf,
    kParamLmfFreq,
    kParamLmQ,
    kParamLmfGain,
    kParamHmf,
    kParamHmfFreq,
    kParamHmQ,
    kParamHmfGain,
    kParamHf,
    kParamHfFreq,
    kParamHfQ,
    kParamHfGain,
    // Hidden values that steer nothing; resetAll sets them with their bands.
    kParamHiddenHmf = 34,
    kParamHiddenLmf = 35,
    kParamHiddenHf = 36,
    kParamLowCutEnable = 37,
    kParamHiddenOn = 39,
    kNumParams = 42,
};

enum class ParamKind {
    Placeholder,   // stored and returned, steers nothing
    Hidden,        // stored only, never shown
    EqAll,         // master switch, on from 0.5
    ChannelSelect, // left / stereo / right
    OutputGain,    // -15..+15 dB in 0.5 dB steps, linear target
    SatSwitch,     // on strictly above 0.5
    LowCutFreq,    // 11-step low-cut frequency
    BandSwitch,    // band on/off
    BandFreq,      // band frequency stepped through its table
    BandNarrow,    // band narrow switch
    BandGain,      // -15..+15 dB in 0.5 dB steps
    LowCutEnable,  // hidden low-cut switch
    StoredSwitch,  // hidden switch that steers nothing
};

// The filter group a parameter change must recompute.
enum class BandUpdate { None, LowCut, LowShelf, LowMid, Mid, HighShelf };
constexpr int kNumBandUpdates = 6;

struct ParamInfo {
    const char* name;    // host name, at most 7 characters
    ParamKind kind;
    int band;            // kBandLf..kBandHf for band parameters, else -1
    BandUpdate update;
    bool notInPresetData;  // preset and bank data do not carry it
    int positions;       // settings hosts step through: 2 for a switch, 0 when not reported
};

extern const ParamInfo kParamInfo[kNumParams];

struct FreqTable {
    const double* values;
    int count;
};

extern const double hpfFreqArr[11];
extern const double lfFreqArr[5];
extern const double lmfFreqArr[7];
extern const double hmfFreqArr[7];
extern const double hfFreqArr[5];
extern const FreqTable kBandFreqTables[kNumBands];

bool isValidParam(int index);

// Decodes x into state (raw value included) and returns the band to
// recompute. Non-finite values are refused: nothing changes and the result
// is BandUpdate::None with false in *accepted.
BandUpdate decodeParameter(ParamState& state, int index, float x, bool* accepted = nullptr);

// The decoded value in real units (Hz, dB, linear gain, switch state).
float parameterValue(const ParamState& state, long index);

// Display text for the host; text holds at least 16 bytes.
void parameterDisplay(const ParamState& state, int index, char* text);

// Host name; text holds at least 8 bytes.
void parameterName(int index, char* text);

// Whether preset data carries the parameter (true: it does not).
bool parameterIsDummy(int index);

// True for the master switch and the channel selection, which keep their
// value whichever program is chosen.
bool parameterHoldsAcrossPrograms(int index);

// How hosts step a parameter, in normalised units.
struct ParamSteps {
    bool isSwitch;
    float step;       // one position
    float largeStep;  // 3 dB for gains, else one position
};
// False for a parameter hosts are told nothing about.
bool parameterSteps(int index, ParamSteps* steps);
