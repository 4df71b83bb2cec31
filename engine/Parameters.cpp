#include "engine/Parameters.h"

#include <climits>
#include <cmath>
#include <cstring>

#include "format/Converters.h"

const double hpfFreqArr[11] = {3, 20, 35, 50, 70, 100, 120, 150, 170, 200, 250};
const double lfFreqArr[5] = {30, 42, 60, 85, 120};
const double lmfFreqArr[7] = {200, 265, 350, 443, 560, 710, 900};
const double hmfFreqArr[7] = {1500, 1936, 2500, 3279, 4300, 5564, 7200};
const double hfFreqArr[5] = {10000, 12649, 16000, 20239, 25000};

const FreqTable kBandFreqTables[kNumBands] = {
    {lfFreqArr, 5}, {lmfFreqArr, 7}, {hmfFreqArr, 7}, {hfFreqArr, 5}};

namespace {

using K = ParamKind;
using U = BandUpdate;

// Positions of a switch, the channel selector, the gains (0.5 dB steps) and
// the stepped frequencies.
constexpr int kSwitch = 2;
constexpr int kThreeWay = 3;
constexpr int kGainSteps = 61;

constexpr ParamInfo placeholder{"", K::Placeholder, -1, U::None, true, 0};
constexpr ParamInfo hidden{"", K::Hidden, -1, U::None, true, 0};
constexpr ParamInfo hiddenSwitch{"", K::Hidden, -1, U::None, true, kSwitch};

}  // namespace

const ParamInfo kParamInfo[kNumParams] = {
    {"EQ all", K::EqAll, -1, U::LowCut, false, kSwitch},
    {"L-S-R", K::ChannelSelect, -1, U::LowCut, false, kThreeWay},
    placeholder,
    placeholder,
    placeholder,
    placeholder,
    {"OUTput", K::OutputGain, -1, U::None, false, kGainSteps},
    {"SAT", K::SatSwitch, -1, U::None, false, kSwitch},
    placeholder,
    {"HPFfreq", K::LowCutFreq, -1, U::LowCut, false, 11},
    placeholder,
    placeholder,
    {"LF", K::BandSwitch, kBandLf, U::LowShelf, false, kSwitch},
    {"LFfreq", K::BandFreq, kBandLf, U::LowShelf, false, 5},
    {"LFQ", K::BandNarrow, kBandLf, U::LowShelf, false, kSwitch},
    {"LFgain", K::BandGain, kBandLf, U::LowShelf, false, kGainSteps},
    {"LMF", K::BandSwitch, kBandLmf, U::LowMid, false, kSwitch},
    {"LMFfreq", K::BandFreq, kBandLmf, U::LowMid, false, 7},
    {"LMQ", K::BandNarrow, kBandLmf, U::LowMid, false, kSwitch},
    {"LMFgain", K::BandGain, kBandLmf, U::LowMid, false, kGainSteps},
    {"HMF", K::BandSwitch, kBandHmf, U::Mid, false, kSwitch},
    {"HMFfreq", K::BandFreq, kBandHmf, U::Mid, false, 7},
    {"HMQ", K::BandNarrow, kBandHmf, U::Mid, false, kSwitch},
    {"HMFgain", K::BandGain, kBandHmf, U::Mid, false, kGainSteps},
    {"HF", K::BandSwitch, kBandHf, U::HighShelf, false, kSwitch},
    {"HFfreq", K::BandFreq, kBandHf, U::HighShelf, false, 5},
    {"HFQ", K::BandNarrow, kBandHf, U::HighShelf, false, kSwitch},
    {"HFgain", K::BandGain, kBandHf, U::HighShelf, false, kGainSteps},
    placeholder, // 28
    placeholder,
    placeholder,
    placeholder,
    placeholder,
    placeholder, // 33
    {"", K::Hidden, -1, U::Mid, true, 0},           // 34
    hidden,                                         // 35
    hidden,                                         // 36
    {"", K::LowCutEnable, -1, U::LowCut, true, kSwitch},  // 37
    hiddenSwitch,                                   // 38
    hidden,                                         // 39
    {"", K::StoredSwitch, -1, U::LowShelf, true, kSwitch}, // 40
    hiddenSwitch,                                   // 41
};

static_assert(kNumParams == ParamState::kCount, "one decoded slot per parameter");

namespace {

// trunc(v) as an int without undefined behaviour for values beyond its range.
int truncToInt(double v)
{
    if (v >= static_cast<double>(INT_MAX))
        return INT_MAX;
    if (v <= static_cast<double>(INT_MIN))
        return INT_MIN;
    return static_cast<int>(v);
}

double nearest(double v)
{
    return std::trunc(v + 0.5);
}

// Gains move in 0.5 dB steps: 0 is -15 dB, 0.5 is 0 dB, 1 is +15 dB.
double gainDb(float x)
{
    return nearest(60.0 * static_cast<double>(x)) / 60.0 * 30.0 - 15.0;
}

int switchOf(float x)
{
    return truncToInt(static_cast<double>(x) + 0.5);
}

int stepOf(float x, int steps)
{
    double clamped = std::fmin(std::fmax(static_cast<double>(x), 0.0), 1.0);
    return static_cast<int>(nearest(clamped * steps));
}

const char* switchText(int on)
{
    return on == 1 ? "On   " : "Off  ";
}

}  // namespace

bool isValidParam(int index)
{
    return index >= 0 && index < kNumParams;
}

BandUpdate decodeParameter(ParamState& s, int index, float x, bool* accepted)
{
    if (accepted)
        *accepted = false;
    if (!isValidParam(index) || !std::isfinite(x))
        return BandUpdate::None;
    if (accepted)
        *accepted = true;

    const ParamInfo& info = kParamInfo[index];
    s.rawValues[index].store(x, std::memory_order_relaxed);
    constexpr auto rel = std::memory_order_relaxed;
    switch (info.kind) {
    case K::EqAll:
        s.eqAllOn.store(static_cast<double>(x) >= 0.5 ? 1 : 0, rel);
        break;
    case K::ChannelSelect:
        s.processLeft.store(x < 0.75f ? 1 : 0, rel);
        s.processRight.store(x >= 0.25f ? 1 : 0, rel);
        break;
    case K::OutputGain:
        s.outputGainTarget.store(std::pow(2.0, gainDb(x) / 6.0), rel);
        break;
    case K::SatSwitch:
        s.satOn.store(x > 0.5f ? 1 : 0, rel);
        break;
    case K::LowCutFreq:
        s.hpfFreq.store(hpfFreqArr[stepOf(x, 10)], rel);
        break;
    case K::BandSwitch:
        s.bands[info.band].on.store(switchOf(x), rel);
        break;
    case K::BandFreq: {
        const FreqTable& table = kBandFreqTables[info.band];
        s.bands[info.band].freq.store(table.values[stepOf(x, table.count - 1)], rel);
        break;
    }
    case K::BandNarrow:
        s.bands[info.band].narrow.store(switchOf(x), rel);
        break;
    case K::BandGain:
        s.bands[info.band].gain.store(gainDb(x), rel);
        break;
    case K::LowCutEnable:
        s.lowCutEnable.store(switchOf(x), rel);
        break;
    case K::StoredSwitch:
        s.storedSwitch.store(switchOf(x), rel);
        break;
    case K::Placeholder:
    case K::Hidden:
        break;
    }
    return info.update;
}

float parameterValue(const ParamState& s, long index)
{
    if (index < 0 || index >= kNumParams)
        return 0.0f;
    constexpr auto rel = std::memory_order_relaxed;
    const ParamInfo& info = kParamInfo[index];
    switch (info.kind) {
    case K::EqAll:
        return static_cast<float>(s.eqAllOn.load(rel));
    case K::ChannelSelect:
        return static_cast<float>(s.processLeft.load(rel));
    case K::OutputGain:
        return static_cast<float>(s.outputGainTarget.load(rel));
    case K::SatSwitch:
        return static_cast<float>(s.satOn.load(rel));
    case K::LowCutFreq:
        return static_cast<float>(s.hpfFreq.load(rel));
    case K::BandSwitch:
        return static_cast<float>(s.bands[info.band].on.load(rel));
    case K::BandFreq:
        return static_cast<float>(s.bands[info.band].freq.load(rel));
    case K::BandNarrow:
        return static_cast<float>(s.bands[info.band].narrow.load(rel));
    case K::BandGain:
        return static_cast<float>(s.bands[info.band].gain.load(rel));
    case K::LowCutEnable:
        return static_cast<float>(s.lowCutEnable.load(rel));
    case K::StoredSwitch:
        return static_cast<float>(s.storedSwitch.load(rel));
    case K::Placeholder:
        return s.rawValues[index].load(rel);
    case K::Hidden:
        return 0.0f;
    }
    return 0.0f;
}

void parameterDisplay(const ParamState& s, int index, char* text)
{
    text[0] = 0;
    if (!isValidParam(index))
        return;
    constexpr auto rel = std::memory_order_relaxed;
    const ParamInfo& info = kParamInfo[index];
    switch (info.kind) {
    case K::EqAll:
        strcpy(text, switchText(s.eqAllOn.load(rel)));
        break;
    case K::SatSwitch:
        strcpy(text, switchText(s.satOn.load(rel)));
        break;
    case K::BandSwitch:
        strcpy(text, switchText(s.bands[info.band].on.load(rel)));
        break;
    case K::BandNarrow:
        strcpy(text, switchText(s.bands[info.band].narrow.load(rel)));
        break;
    case K::ChannelSelect: {
        double raw = s.rawValues[index].load(rel);
        strcpy(text, raw < 0.25 ? "Left" : raw < 0.75 ? "Stereo" : "Right");
        break;
    }
    case K::OutputGain:
        dB2string2(static_cast<float>(s.outputGainTarget.load(rel)), 1, text);
        break;
    case K::LowCutFreq:
        if (static_cast<double>(s.rawValues[index].load(rel)) < 0.025)
            strcpy(text, "OFF");
        else
            frequencyStringConvert2(static_cast<float>(s.hpfFreq.load(rel)), text);
        break;
    case K::BandFreq:
        frequencyStringConvert2(static_cast<float>(s.bands[info.band].freq.load(rel)), text);
        break;
    case K::BandGain:
        float2string2(static_cast<float>(s.bands[info.band].gain.load(rel)), 2, text);
        strcat(text, "dB");
        break;
    default:
        break;
    }
}

void parameterName(int index, char* text)
{
    text[0] = 0;
    if (isValidParam(index))
        strcpy(text, kParamInfo[index].name);
}

bool parameterIsDummy(int index)
{
    return !isValidParam(index) || kParamInfo[index].notInPresetData;
}

bool parameterHoldsAcrossPrograms(int index)
{
    return isValidParam(index) &&
           (kParamInfo[index].kind == K::EqAll || kParamInfo[index].kind == K::ChannelSelect);
}

bool parameterSteps(int index, ParamSteps* steps)
{
    if (!isValidParam(index) || kParamInfo[index].positions < 2)
        return false;
    const ParamInfo& info = kParamInfo[index];
    const float one = 1.0f / static_cast<float>(info.positions - 1);
    const bool gain = info.kind == K::OutputGain || info.kind == K::BandGain;
    *steps = {info.positions == kSwitch, one, gain ? 6 * one : one};
    return true;
}
