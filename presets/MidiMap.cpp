#include "presets/MidiMap.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>

const char* const ccnames[kNumCCNames] = {
    "bank sel MSB", "modulation", "breath", "control 3",  // 0
    "foot", "portamento", "data ent MSB", "main volume",  // 4
    "balance", "control 9", "pan", "expression",  // 8
    "control 12", "control 13", "control 14", "control 15",  // 12
    "gen purp 1", "gen purp 2", "gen purp 3", "gen purp 4",  // 16
    "control 20", "control 21", "control 22", "control 23",  // 20
    "control 24", "control 25", "control 26", "control 27",  // 24
    "control 28", "control 29", "control 30", "control 31",  // 28
    "bank sel LSB", "modul. LSB", "breath LSB", "control 35",  // 32
    "foot LSB", "porta LSB", "data ent LSB", "main vol LSB",  // 36
    "balance LSB", "control 41", "pan LSB", "express. LSB",  // 40
    "control 44", "control 45", "control 46", "control 47",  // 44
    "control 48", "control 49", "control 50", "control 51",  // 48
    "control 52", "control 53", "control 54", "control 55",  // 52
    "control 56", "control 57", "control 58", "control 59",  // 56
    "control 60", "control 61", "control 62", "control 63",  // 60
    "sustain", "porta on/off", "sostenuto", "soft pedal",  // 64
    "legato FS", "hold 2", "sound var", "harmonic",  // 68
    "release time", "attack time", "brightness", "control 75",  // 72
    "control 76", "control 77", "control 78", "control 79",  // 76
    "gen purp 5", "gen purp 6", "gen purp 7", "gen purp 8",  // 80
    "porta ctrl", "control 85", "control 86", "control 87",  // 84
    "control 88", "control 89", "control 90", "ext FX",  // 88
    "tremolo", "chorus", "detune", "phaser",  // 92
    "data incr", "data decr", "NRPN LSB", "NRPN MSB",  // 96
    "RPN LSB", "RPN MSB", "control 102", "control 103",  // 100
    "control 104", "control 105", "control 106", "control 107",  // 104
    "control 108", "control 109", "control 110", "control 111",  // 108
    "control 112", "control 113", "control 114", "control 115",  // 112
    "control 116", "control 117", "control 118", "control 119",  // 116
    "all snd off", "reset ctrl", "local ctrl", "all note off",  // 120
    "omni off", "omni on", "mono mode on", "poly mode on",  // 124
    "not assigned", "",  // 128
};

namespace {

// A map block carries its index at payload offset 0 and its value at 12.
constexpr int32_t kMidiPayloadRead = 16;
constexpr int64_t kHeaderSize = sizeof(newpresetheader);

}  // namespace

void convertCC(float value, char* text)
{
    if (!text)
        return;
    int k = kNumCCNames - 1;
    if (!std::isnan(value)) {
        // Clamped as a double so that infinities never reach the int.
        const double scaled = std::floor(static_cast<double>(value) * kNumCCNames);
        k = static_cast<int>(std::clamp(scaled, 0.0, static_cast<double>(kNumCCNames - 1)));
    }
    strcpy(text, ccnames[k]);
}

long writeMidiMap(PresetStore& store, MidiMapParameters& params, char** out)
{
    if (!out)
        return 0;
    *out = nullptr;
    int n = 0;
    for (int i = 0; i < kMidiMapParams; ++i)
        if (!store.isDummy(i))
            ++n;
    const int32_t dataSize = kParamBlockSize * n;
    const long length = kHeaderSize + dataSize;
    char* buffer = new (std::nothrow) char[static_cast<size_t>(length)];
    if (!buffer)
        return 0;

    writePresetHeader(buffer, store.uniqueID(), kKindMidiMap, n, 0, dataSize);
    char* p = buffer + kHeaderSize;
    for (int i = 0; i < kMidiMapParams; ++i)
        if (!store.isDummy(i))
            p = writeValueBlock(p, kBlockMidi, 0, i, params.getParameter(i + kMidiParamOffset));
    *out = buffer;
    return length;
}

void readMidiMap(MidiMapParameters& params, const char* data, long available, const newpresetheader& header,
                 bool swapped)
{
    // Blocks of other types are skipped by their size, whatever they hold.
    walkBlocks(data, available, header, swapped, [](int32_t) { return int64_t{0}; },
               [&](int32_t type, int32_t, const char* block) {
                   // A map block too short to hold its value is skipped
                   // rather than read into the next block.
                   if (type == kBlockMidi && getWord(block + 4, swapped) >= kMidiPayloadRead) {
                       const int32_t index = getWord(block + 12, swapped);
                       const float value = getFloat(block + 24, swapped);
                       if (index >= 0 && index < kMidiMapParams && isValidValue(value))
                           params.setParameter(index + kMidiParamOffset, value);
                   }
                   return true;
               });
}

void readMidiMapOld(PresetStore& store, MidiMapParameters& params, const char* data, long available,
                    bool swapped, int numParams)
{
    if (!data)
        return;
    const int count = std::min(numParams, kMidiMapParams);
    for (int j = 0; j < count; ++j) {
        if (store.isDummyOld(j))
            continue;
        const int64_t at = 4 * static_cast<int64_t>(j);
        if (at + 4 > available)
            break;
        const float value = getFloat(data + at, swapped);
        if (!isValidValue(value))
            break;
        params.setParameter(j + kMidiParamOffset, value);
    }
}
