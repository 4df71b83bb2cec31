// Controller names and MIDI map buffers: the writer's bytes, and the readers
// against byte-reversed, corrupted and truncated buffers.
#include <climits>

#include "presets/MidiMap.h"
#include "tests/presets/FakeStore.h"

namespace {

using Sets = std::vector<std::pair<long, float>>;

struct Store : FakeStore, MidiMapParameters {
    float getParameter(long index) override { return (index - 42) / 50.0f; }
    void setParameter(long index, float value) override { sets.emplace_back(index, value); }
    Sets sets;
};

// Reads blocks from an allocation of exactly `available` bytes. numBlocks < 0
// reads the old layout, with dataSize standing for numParams.
Sets read(const Bytes& blocks, long available, int32_t numBlocks, long dataSize, bool swapped = false)
{
    const auto copy = exactCopy(blocks, size_t(available));
    newpresetheader h{};
    h.numBlocks = numBlocks;
    h.dataSize = int32_t(dataSize);
    Store s;
    if (numBlocks < 0)
        readMidiMapOld(s, s, copy.get(), available, swapped, int(dataSize));
    else
        readMidiMap(s, copy.get(), available, h, swapped);
    return s.sets;
}

}  // namespace

TEST(MidiMap, ControllerNamesOfAssignmentValues)
{
    const std::pair<float, const char*> cases[] = {
        {0.0f, "bank sel MSB"}, {7.5f / 130, "main volume"}, {43.5f / 130, "express. LSB"}, {101.5f / 130, "RPN MSB"},
        {127.5f / 130, "poly mode on"}, {128.02f / 130, "not assigned"}, {128.98f / 130, "not assigned"},
        {129.02f / 130, ""}, {1.0f, ""}, {NAN, ""}, {-0.5f, "bank sel MSB"}, {-INFINITY, "bank sel MSB"}, {2.0f, ""},
        {INFINITY, ""}};
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
    ASSERT_EQ(writeMidiMap(store, store, &raw), 41 + 21 * 32);
    const std::unique_ptr<char[]> owner(raw);
    Blocks expected;
    Sets all;
    for (int i = 0; i < 42; ++i) {
        if (!store.dummy(i)) {
            expected.value(0, i, i / 50.0f, 2);
            all.emplace_back(i + 42, i / 50.0f);
        }
    }
    EXPECT_EQ(Bytes(raw, raw + 41 + 672), expected.done(kKindMidiMap, 0));
    Bytes blocks(raw + 41, raw + 41 + 672);
    // Whole blocks within both dataSize and the readable bytes are read.
    for (long cut = 0; cut <= 672; ++cut) {
        const Sets whole(all.begin(), all.begin() + cut / 32);
        EXPECT_EQ(read(blocks, cut, INT_MAX, INT_MAX), whole) << cut;
        EXPECT_EQ(read(blocks, 672, 21, cut), whole) << cut;
    }
    // A block size that is negative or runs past the end stops the read.
    for (int32_t size : {-12, INT_MAX, 629})
        EXPECT_EQ(read(withWord(blocks, 36, size), 672, 21, 672), Sets(all.begin(), all.begin() + 1)) << size;
    for (size_t i = 0; i < blocks.size(); i += 4)
        mySwapBytes(&blocks[i]);
    EXPECT_EQ(read(blocks, 672, 21, 672, true), all);
}

