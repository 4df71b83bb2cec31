// MIDI controller assignment maps: the controller-name table, the text for
// an assignment value, and the map buffer (a newpresetheader of kind 12 and
// one block per carried parameter) with its readers, including the old flat
// layout (kind 11). Assignments are held by the effect as parameter-like
// values at parameter index + 42. Editor thread; no locks.
#pragma once

#include <cstdint>

#include "presets/PresetBuffer.h"

// The assignment of parameter i lives at effect parameter i + kMidiParamOffset.
constexpr int kMidiParamOffset = 42;
constexpr int kMidiMapParams = kNumProgramParams;

// ccnames[0..127] name the MIDI controllers, 128 is "not assigned", 129 is
// empty. No entry is longer than kMaxCCNameLength characters.
constexpr int kNumCCNames = 130;
constexpr int kMaxCCNameLength = 12;
extern const char* const ccnames[kNumCCNames];

// Writes the controller name for an assignment value 0..1 into text, which
// must hold kMaxCCNameLength + 1 bytes. Values below 0 give entry 0, values
// of 1 and above the empty entry; NaN gives the empty entry too.
void convertCC(float value, char* text);

// Where the map functions read and write the assignment values: the
// effect's getParameter / setParameter, at index + kMidiParamOffset.
class MidiMapParameters {
public:
    virtual ~MidiMapParameters() = default;
    virtual float getParameter(long index) = 0;
    virtual void setParameter(long index, float value) = 0;
};

// Builds a map of every parameter the store carries (isDummy false): *out
// receives a new[] buffer of exactly the returned length (the caller
// delete[]s it); 0 and *out = nullptr when the allocation fails.
long writeMidiMap(PresetStore& store, MidiMapParameters& params, char** out);

// Reads the blocks of a current-layout map. data points at the first block,
// `available` bytes are readable there, header is in native order; swapped:
// the blocks are in the other byte order. Each type-2 block with an index
// 0..41 and a value 0..1 sets that assignment; anything else is skipped.
// Reading ends at dataSize or `available`, whichever comes first.
void readMidiMap(MidiMapParameters& params, const char* data, long available, const newpresetheader& header,
                 bool swapped);

// Reads the old flat layout: data points after the 5-byte prefix at a plain
// array of floats, value j at offset 4j. Up to min(numParams, 42) values are
// read, skipping the indices for which isDummyOld is true; a value outside
// 0..1 (or NaN) ends the read, as does the end of the readable bytes.
void readMidiMapOld(PresetStore& store, MidiMapParameters& params, const char* data, long available,
                    bool swapped, int numParams);
