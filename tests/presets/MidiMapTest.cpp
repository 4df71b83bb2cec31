// Controller names and MIDI map buffers: the writer's bytes, the readers
// against hand-made, byte-reversed, corrupted and truncated buffers.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstring>
#include <limits>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "presets/MidiMap.h"

namespace {

using Sets = std::vector<std::pair<long, float>>;

// Carries every third parameter less the first (isDummy), and the old
// layout skips indices 3 and 4 (isDummyOld).
struct Store : PresetStore {
    int32_t uniqueID() override { return 0x5A594D53; }
    long presetNo() override { return 0; }
    ProgramRecord* programs() override { return nullptr; }
    bool isDummy(int i) override { return i % 3 != 1; }
    bool isDummyOld(int i) override { return i == 3 || i == 4; }
    void initializePreset(long) override {}
    void setPresetName(const char*) override {}
    void setPresetNo(long) override {}
};

struct Params : MidiMapParameters {
    float getParameter(long index) override { return index >= 42 ? (index - 42) / 50.0f : -1.0f; }
    void setParameter(long index, float value) override { sets.emplace_back(index, value); }
    Sets sets;
};

// Each carried index i as an assignment at i + 42 with its written value.
Sets carried(int upTo = 42)
{
    Sets s;
    for (int i = 1; i < upTo; i += 3)
        s.emplace_back(i + 42, i / 50.0f);
    return s;
}

// A map block as the writer lays it out.
std::string block(int32_t type, int32_t size, int32_t index, float value)
{
    std::string b(12 + std::max(size, 0), '\0');
    memcpy(&b[0], &type, 4);
    memcpy(&b[4], &size, 4);
    if (size >= 16) {
        memcpy(&b[12], &index, 4);
        memcpy(&b[24], &value, 4);
    }
    return b;
}

newpresetheader headerFor(int32_t numBlocks, long dataSize)
{
    newpresetheader h{};
    h.numBlocks = numBlocks;
    h.dataSize = static_cast<int32_t>(dataSize);
    return h;
}

// Reads blocks from a heap copy of exactly `available` bytes, so that any
// read past them trips the address sanitizer.
Sets readMap(const std::string& blocks, long available, const newpresetheader& h, bool swapped = false)
{
    std::unique_ptr<char[]> copy(new char[static_cast<size_t>(std::max(available, 1L))]);
    memcpy(copy.get(), blocks.data(), static_cast<size_t>(available));
    Params p;
    bufferToMidi(p, copy.get(), available, h, swapped);
    return p.sets;
}

Sets readOld(const std::vector<float>& values, long available, int numParams, bool swapped = false)
{
    std::unique_ptr<char[]> copy(new char[static_cast<size_t>(std::max(available, 1L))]);
    memcpy(copy.get(), values.data(), static_cast<size_t>(available));
    Store store;
    Params p;
    bufferToMidiOld(store, p, copy.get(), available, swapped, numParams);
    return p.sets;
}

std::string reversedWords(std::string bytes)
{
    for (size_t i = 0; i + 4 <= bytes.size(); i += 4)
        mySwapBytes(&bytes[i]);
    return bytes;
}

} // namespace

TEST(ControllerNames, NumberedEntriesSitAtTheirNumberAmongTheNamedOnes)
{
    int numbered = 0;
    for (int i = 0; i < 128; ++i) {
        ASSERT_TRUE(ccnames[i] && *ccnames[i]) << i;
        int n = -1;
        if (sscanf(ccnames[i], "control %d", &n) == 1) {
            EXPECT_EQ(n, i);
            ++numbered;
        }
    }
    EXPECT_EQ(numbered, 69);
    const std::pair<int, const char*> named[] = {
        {0, "bank sel MSB"}, {11, "expression"},   {16, "gen purp 1"}, {43, "express. LSB"},
        {64, "sustain"},     {74, "brightness"},   {84, "porta ctrl"}, {91, "ext FX"},
        {101, "RPN MSB"},    {120, "all snd off"}, {127, "poly mode on"}, {128, "not assigned"},
        {129, ""}};
    for (const auto& [i, name] : named)
        EXPECT_STREQ(ccnames[i], name) << i;
}

TEST(ControllerNames, ConvertCCPicksTheEntryAndStaysInsideTheText)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    const std::pair<float, const char*> cases[] = {
        {0.0f, "bank sel MSB"},     {7.5f / 130, "main volume"},     {1.0f, ""},
        {127.5f / 130, "poly mode on"}, {128.02f / 130, "not assigned"}, {128.98f / 130, "not assigned"},
        {129.02f / 130, ""},        {nan, ""},                       {-0.5f, "bank sel MSB"},
        {-inf, "bank sel MSB"},     {2.0f, ""},                      {inf, ""}};
    for (const auto& [value, name] : cases) {
        char text[kMaxCCNameLength + 2];
        memset(text, '#', sizeof text);
        convertCC(value, text);
        EXPECT_STREQ(text, name) << value;
    }
    // Every entry fits, with the guard byte after the text untouched.
    for (int k = 0; k < kNumCCNames; ++k) {
        char text[kMaxCCNameLength + 2];
        text[kMaxCCNameLength + 1] = '#';
        convertCC((k + 0.5f) / kNumCCNames, text);
        EXPECT_STREQ(text, ccnames[k]);
        EXPECT_EQ(text[kMaxCCNameLength + 1], '#');
    }
}

TEST(MidiMapBuffer, WrittenMapReadsBackInEitherByteOrder)
{
    Store store;
    Params source;
    char* raw = nullptr;
    const long length = midiToBuffer(store, source, &raw);
    std::unique_ptr<char[]> buffer(raw);
    const int n = 14; // indices 1, 4, ... 40
    ASSERT_EQ(length, 41 + 32 * n);

    newpresetheader h;
    memcpy(&h, raw, sizeof h);
    // Copied out of the packed header: id, kind, version, parameters,
    // blocks, program, data size, reserved.
    const std::vector<int32_t> fields{h.uniqueID,       h.kind,       h.formatVersion, h.numParams,
                                      h.numBlocks,      h.currentProgram, h.dataSize,  h.reserved[0],
                                      h.reserved[1],    h.reserved[2],    h.reserved[3]};
    EXPECT_EQ(fields, (std::vector<int32_t>{0x5A594D53, kKindMidiMap, kPresetFormatVersion, 42, n, 0, 32 * n,
                                            0, 0, 0, 0}));
    // The second block, byte for byte: type 2, size 20, program 0, index 4, value.
    EXPECT_EQ(std::string(raw + 41 + 32, 32), block(2, 20, 4, 4 / 50.0f));

    const std::string blocks(raw + 41, static_cast<size_t>(h.dataSize));
    EXPECT_EQ(readMap(blocks, h.dataSize, h), carried());
    EXPECT_EQ(readMap(reversedWords(blocks), h.dataSize, h, true), carried());
}

TEST(MidiMapBuffer, SkipsForeignBlocksAndBadValuesAndReadsOn)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const std::string blocks = block(2, 20, 57, 0.5f) + block(2, 20, -3, 0.5f) + block(2, 20, 6, 1.0001f) +
                               block(2, 20, 7, nan) + block(2, 20, 8, -0.0001f) + block(7, 40, 9, 0.5f) +
                               block(1, 20, 10, 0.5f) + block(2, 4, 0, 0.f) + block(2, 20, 41, 1.0f) +
                               block(2, 24, 0, 0.0f) + block(2, 20, 5, 0.25f);
    const Sets expected{{83, 1.0f}, {42, 0.0f}, {47, 0.25f}};
    EXPECT_EQ(readMap(blocks, long(blocks.size()), headerFor(11, long(blocks.size()))), expected);
    // numBlocks bounds the read from above; below 1 nothing is read.
    EXPECT_EQ(readMap(blocks, long(blocks.size()), headerFor(10, long(blocks.size()))), (Sets{{83, 1.0f}, {42, 0.0f}}));
    EXPECT_TRUE(readMap(blocks, long(blocks.size()), headerFor(0, long(blocks.size()))).empty());
    EXPECT_TRUE(readMap(blocks, long(blocks.size()), headerFor(-5, long(blocks.size()))).empty());
}

TEST(MidiMapBuffer, TruncatedOrLyingBuffersAreReadOnlyAsFarAsTheyReach)
{
    Store store;
    Params source;
    char* raw = nullptr;
    const long length = midiToBuffer(store, source, &raw);
    std::unique_ptr<char[]> buffer(raw);
    const std::string blocks(raw + 41, static_cast<size_t>(length - 41));
    const long full = long(blocks.size());

    // Whole blocks within the readable bytes are read, whatever the header
    // claims; a block cut short ends the read.
    const Sets all = carried();
    for (long available = 0; available <= full; ++available) {
        const Sets expected(all.begin(), all.begin() + available / 32);
        EXPECT_EQ(readMap(blocks, available, headerFor(INT_MAX, INT_MAX)), expected) << available;
        EXPECT_EQ(readMap(blocks, full, headerFor(14, available)), expected) << available;
    }
    EXPECT_TRUE(readMap(blocks, full, headerFor(14, -32)).empty());
    // A block size that is negative or runs past the end stops the read
    // without skipping onwards.
    for (int32_t size : {-12, -1, INT_MAX, 21 + 32 * 13}) {
        std::string lying = blocks;
        memcpy(&lying[32 + 4], &size, 4);
        EXPECT_EQ(readMap(lying, full, headerFor(14, full)), (Sets{{43, 1 / 50.0f}})) << size;
    }
    // Many empty foreign blocks end with the bytes, not the count.
    const std::string empties(12 * 1000, '\0');
    EXPECT_TRUE(readMap(empties, long(empties.size()), headerFor(INT_MAX, long(empties.size()))).empty());
    Params p;
    bufferToMidi(p, nullptr, 100, headerFor(3, 96), false);
    EXPECT_TRUE(p.sets.empty());
}

TEST(MidiMapBuffer, OldLayoutReadsFlatValuesUpToABadOne)
{
    std::vector<float> values(100);
    for (size_t j = 0; j < values.size(); ++j)
        values[j] = j / 100.0f;
    auto expected = [&](int upTo) {
        Sets s;
        for (int j = 0; j < upTo; ++j)
            if (j != 3 && j != 4)
                s.emplace_back(j + 42, values[size_t(j)]);
        return s;
    };
    const long all = long(values.size() * 4);
    EXPECT_EQ(readOld(values, all, 30), expected(30));
    EXPECT_EQ(readOld(values, all, 100), expected(42));
    EXPECT_TRUE(readOld(values, all, 0).empty());
    EXPECT_TRUE(readOld(values, all, -7).empty());
    // Only whole values within the readable bytes.
    EXPECT_EQ(readOld(values, 4 * 20 + 3, 42), expected(20));

    std::vector<float> reversed = values;
    for (float& v : reversed)
        mySwapBytes(&v);
    EXPECT_EQ(readOld(reversed, all, 42, true), expected(42));

    // A bad value ends the read; the skipped indices are not even looked at.
    for (float bad : {1.5f, -0.25f, std::numeric_limits<float>::quiet_NaN()}) {
        std::vector<float> broken = values;
        broken[12] = bad;
        broken[3] = bad;
        EXPECT_EQ(readOld(broken, all, 42), expected(12)) << bad;
    }
    Store store;
    Params p;
    bufferToMidiOld(store, p, nullptr, 400, false, 42);
    EXPECT_TRUE(p.sets.empty());
}
