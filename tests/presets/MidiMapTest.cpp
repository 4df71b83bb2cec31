// Controller names and MIDI map buffers: the writer's bytes, and the readers
// against byte-reversed, corrupted and truncated buffers.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "presets/MidiMap.h"

namespace {

using Sets = std::vector<std::pair<long, float>>;

// Carries indices 1, 4, ... 40; the old layout skips 3 and 4.
struct Store : PresetStore, MidiMapParameters {
    int32_t uniqueID() override { return 0x5A594D53; }
    long presetNo() override { return 0; }
    ProgramRecord* programs() override { return nullptr; }
    bool isDummy(int i) override { return i % 3 != 1; }
    bool isDummyOld(int i) override { return i == 3 || i == 4; }
    void initializePreset(long) override {}
    void setPresetName(const char*) override {}
    void setPresetNo(long) override {}
    float getParameter(long index) override { return (index - 42) / 50.0f; }
    void setParameter(long index, float value) override { sets.emplace_back(index, value); }
    Sets sets;
};

std::string block(int32_t type, int32_t size, int32_t index, float value)
{
    std::string b(12 + size, '\0');
    memcpy(&b[0], &type, 4);
    memcpy(&b[4], &size, 4);
    if (size >= 16) {
        memcpy(&b[12], &index, 4);
        memcpy(&b[24], &value, 4);
    }
    return b;
}

// Reads from a heap copy of exactly `available` bytes, so that the address
// sanitizer sees any read past them. numBlocks < 0 reads the old layout,
// with dataSize standing for numParams.
Sets read(const std::string& bytes, long available, int32_t numBlocks, long dataSize, bool swapped = false)
{
    std::unique_ptr<char[]> copy(new char[size_t(available)]);
    memcpy(copy.get(), bytes.data(), size_t(available));
    newpresetheader h{};
    h.numBlocks = numBlocks;
    h.dataSize = int32_t(dataSize);
    Store s;
    if (numBlocks < 0)
        bufferToMidiOld(s, s, copy.get(), available, swapped, int(dataSize));
    else
        bufferToMidi(s, copy.get(), available, h, swapped);
    return s.sets;
}

} // namespace

TEST(MidiMap, ControllerNamesAndTheirLookUp)
{
    int numbered = 0;
    for (int i = 0, n = -1; i < 128; ++i)
        if (sscanf(ccnames[i], "control %d", &n) == 1)
            numbered += n == i ? 1 : 1000;
    EXPECT_EQ(numbered, 69);
    const std::pair<float, const char*> cases[] = {
        {0.0f, "bank sel MSB"}, {7.5f / 130, "main volume"}, {43.5f / 130, "express. LSB"},
        {101.5f / 130, "RPN MSB"}, {127.5f / 130, "poly mode on"}, {128.02f / 130, "not assigned"},
        {128.98f / 130, "not assigned"}, {129.02f / 130, ""}, {1.0f, ""}, {NAN, ""},
        {-0.5f, "bank sel MSB"}, {-INFINITY, "bank sel MSB"}, {2.0f, ""}, {INFINITY, ""}};
    for (const auto& [value, name] : cases) {
        char text[kMaxCCNameLength + 2];
        text[kMaxCCNameLength + 1] = '#';
        convertCC(value, text);
        EXPECT_STREQ(text, name) << value;
        EXPECT_EQ(text[kMaxCCNameLength + 1], '#');
    }
}

TEST(MidiMap, WrittenMapReadsBackInEitherByteOrderAndAsFarAsItReaches)
{
    Store store;
    char* raw = nullptr;
    ASSERT_EQ(midiToBuffer(store, store, &raw), 41 + 14 * 32);
    std::unique_ptr<char[]> owner(raw);
    newpresetheader h;
    memcpy(&h, raw, sizeof h);
    const std::vector<int32_t> fields{h.uniqueID,  h.kind,           h.formatVersion, h.numParams,
                                      h.numBlocks, h.currentProgram, h.dataSize,      h.reserved[3]};
    EXPECT_EQ(fields, (std::vector<int32_t>{0x5A594D53, kKindMidiMap, kPresetFormatVersion, 42, 14, 0, 448, 0}));
    std::string blocks(raw + 41, 448);
    EXPECT_EQ(blocks.substr(32, 32), block(2, 20, 4, 4 / 50.0f));

    Sets all;
    for (int i = 1; i < 42; i += 3)
        all.emplace_back(i + 42, i / 50.0f);
    // Whole blocks within both dataSize and the readable bytes are read.
    for (long cut = 0; cut <= 448; ++cut) {
        const Sets expected(all.begin(), all.begin() + cut / 32);
        EXPECT_EQ(read(blocks, cut, INT_MAX, INT_MAX), expected) << cut;
        EXPECT_EQ(read(blocks, 448, 14, cut), expected) << cut;
    }
    // A block size that is negative or runs past the end stops the read.
    for (int32_t size : {-12, INT_MAX, 437}) {
        std::string lying = blocks;
        memcpy(&lying[36], &size, 4);
        EXPECT_EQ(read(lying, 448, 14, 448), Sets(all.begin(), all.begin() + 1)) << size;
    }
    for (size_t i = 0; i < blocks.size(); i += 4)
        mySwapBytes(&blocks[i]);
    EXPECT_EQ(read(blocks, 448, 14, 448, true), all);
}

TEST(MidiMap, ReaderSkipsForeignBlocksAndBadValues)
{
    const std::string blocks = block(2, 20, 57, 0.5f) + block(2, 20, -3, 0.5f) + block(2, 20, 6, 1.0001f) +
                               block(2, 20, 7, NAN) + block(2, 20, 8, -0.0001f) + block(7, 40, 9, 0.5f) +
                               block(1, 20, 10, 0.5f) + block(2, 4, 0, 0.f) + block(2, 20, 41, 1.0f) +
                               block(2, 24, 0, 0.0f);
    const long n = long(blocks.size());
    EXPECT_EQ(read(blocks, n, 10, n), (Sets{{83, 1.0f}, {42, 0.0f}}));
    EXPECT_EQ(read(blocks, n, 9, n), (Sets{{83, 1.0f}}));
    EXPECT_TRUE(read(blocks, n, 0, n).empty());
}

TEST(MidiMap, OldLayoutReadsFlatValuesUntilABadOne)
{
    std::vector<float> values(100);
    for (size_t j = 0; j < values.size(); ++j)
        values[j] = j / 100.0f;
    auto bytes = [](const std::vector<float>& v) { return std::string((const char*)v.data(), v.size() * 4); };
    auto upTo = [values](int count) {
        Sets s;
        for (int j = 0; j < count; ++j)
            if (j != 3 && j != 4)
                s.emplace_back(j + 42, values[size_t(j)]);
        return s;
    };
    EXPECT_EQ(read(bytes(values), 400, -1, 30), upTo(30));
    EXPECT_EQ(read(bytes(values), 400, -1, 100), upTo(42));
    EXPECT_EQ(read(bytes(values), 83, -1, 42), upTo(20)); // whole values only
    EXPECT_TRUE(read(bytes(values), 400, -1, -7).empty());
    for (float bad : {1.5f, -0.25f, NAN}) {
        std::vector<float> broken = values;
        broken[3] = broken[12] = bad; // index 3 is skipped, 12 ends the read
        EXPECT_EQ(read(bytes(broken), 400, -1, 42), upTo(12)) << bad;
    }
    for (float& v : values)
        mySwapBytes(&v);
    EXPECT_EQ(read(bytes(values), 400, -1, 42, true), upTo(42));
}
