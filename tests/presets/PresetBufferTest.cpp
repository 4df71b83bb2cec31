// Preset and bank buffers: the writers' bytes, and the readers against
// hand-made, byte-reversed, refused, truncated and corrupted buffers.
#include <limits>
#include <random>
#include <tuple>

#include "tests/presets/FakeStore.h"

namespace {

using Reader = ReadResult (*)(PresetStore&, const char*, long, const newpresetheader&, bool);

// Reads a buffer (header included) whose blocks sit in an allocation of
// exactly `available` bytes.
ReadResult readBuffer(Reader reader, PresetStore& store, const Bytes& buffer, long available = -1,
                      bool swapped = false)
{
    newpresetheader h;
    memcpy(&h, buffer.data(), sizeof h);
    if (swapped)
        byteSwapHeader(&h);
    const Bytes blocks(buffer.begin() + 41, buffer.end());
    available = available < 0 ? long(blocks.size()) : available;
    return reader(store, exactCopy(blocks, size_t(available)).get(), available, h, swapped);
}

ReadResult readOld(FakeStore& store, const Bytes& records, bool swapped, int numPrograms, int numParams)
{
    const auto exact = exactCopy(records, records.size());
    if (numPrograms)
        return readBankOld(store, exact.get(), long(records.size()), swapped, numPrograms, numParams);
    return readPresetOld(store, exact.get(), long(records.size()), swapped, numParams);
}

}  // namespace

TEST(PresetBuffer, WritersProduceTheLayoutByteForByte)
{
    FakeStore store(0.0f, 2), all(0.0f, 2, true);
    Blocks one, bank;
    auto program = [&](Blocks& b, int p, int32_t number) {
        b.name(number, store.progs[p].name);
        for (int i = 0; i < kNumProgramParams; ++i)
            if (!store.dummy(i))
                b.value(number, i, store.progs[p].params[i]);
    };
    for (int p = 0; p < kNumPrograms; ++p)
        program(bank, p, p);
    program(one, 2, 0);
    EXPECT_EQ(written(writePreset, store), one.done(kKindPreset, 0));
    EXPECT_EQ(written(writeBank, store), bank.done(kKindBank, 2));
    const std::vector<size_t> sizes{written(writePreset, store).size(), written(writeBank, store).size(),
                                    written(writePreset, all).size(), written(writeBank, all).size()};
    EXPECT_EQ(sizes, (std::vector<size_t>{881, 5081, 1553, 9113}));
}

TEST(PresetBuffer, RoundTripsInEitherByteOrder)
{
    for (bool all : {true, false}) {
        FakeStore src(0.0f, 4, all), bank(0.5f, 0, all), bankTwin = bank, one(0.5f, 5, all), oneTwin = one;
        const Bytes bankBytes = written(writeBank, src), oneBytes = written(writePreset, src);
        readBuffer(readBank, bank, bankBytes);
        readBuffer(readBank, bankTwin, reversedTwin(bankBytes), -1, true);
        readBuffer(readPreset, one, oneBytes);
        readBuffer(readPreset, oneTwin, reversedTwin(oneBytes), -1, true);
        for (int p = 0; p < kNumPrograms; ++p)
            ASSERT_TRUE(bank.holds(src.carried(p), p)) << p;
        EXPECT_EQ(Log(bank.log.end() - 4, bank.log.end()), (Log{"menu 5 P5 0.0", "entry 4", "show P4 0.0", "select 4"}));
        EXPECT_TRUE(one.holds(src.carried(4), 5));
        EXPECT_EQ(Log(one.log.end() - 2, one.log.end()), (Log{"name P4 0.0", "select 5"}));
        EXPECT_TRUE(bank == bankTwin && one == oneTwin && bank.log == bankTwin.log && one.log == oneTwin.log);
    }
}

TEST(PresetBuffer, RefusedValueLeavesStoreAsBefore)
{
    FakeStore src;
    const Bytes bank = written(writeBank, src), one = written(writePreset, src);
    const Bytes oldBank = oldRecords(src, 6, 42, false), oldOne = oldRecords(src, 1, 42, false);
    // Program p's k-th parameter block, which carries value j: the very first
    // value, program 3's fifth, and the very last (the single program's last).
    const std::tuple<int, int, int> where[] = {{0, 0, 0}, {3, 4, 9}, {5, 20, 27}};
    for (float bad : {std::numeric_limits<float>::infinity(), std::numeric_limits<float>::quiet_NaN(),
                      -std::numeric_limits<float>::infinity()}) {
        for (const auto& [p, k, j] : where) {
            FakeStore s[4] = {FakeStore(0.5f), FakeStore(0.5f), FakeStore(0.5f), FakeStore(0.5f)};
            const ReadResult results[4] = {
                readBuffer(readBank, s[0], withWord(bank, 41 + p * 840 + 168 + k * 32 + 24, bad)),
                readBuffer(readPreset, s[1], withWord(one, 41 + 168 + k * 32 + 24, bad)),
                readOld(s[2], withWord(oldBank, p * 192 + 24 + 4 * j, bad), false, 6, 42),
                readOld(s[3], withWord(oldOne, 24 + 4 * j, bad), false, 0, 42)};
            for (int r = 0; r < 4; ++r) {
                EXPECT_EQ(results[r], ReadResult::Refused) << r << ": " << p << " " << j;
                // Neither the programs read before the bad value, nor the part
                // of the one it lies in, nor the titles of their names.
                EXPECT_TRUE(s[r] == FakeStore(0.5f)) << r << ": " << p << " " << j;
                EXPECT_TRUE(s[r].log.empty()) << r << ": " << p << " " << j;
            }
        }
    }
}

TEST(PresetBuffer, OldLayouts)
{
    const FakeStore src(0.3f);
    FakeStore single(0.0f, 4);
    readOld(single, oldRecords(src, 1, 30, false), false, 0, 30);
    EXPECT_TRUE(single.holds(src.carried(0, 30), 4));
    EXPECT_EQ(single.log, (Log{"show P0 0.3", "menu 4 P0 0.3", "name P0 0.3", "select 4"}));
    for (bool swapped : {false, true}) {
        FakeStore bank;
        readOld(bank, oldRecords(src, 6, 42, swapped), swapped, 6, 42);
        for (int p = 0; p < kNumPrograms; ++p)
            EXPECT_TRUE(bank.holds(src.carried(p), p)) << p;
        EXPECT_EQ(bank.log.back(), "select 0");
    }
    // NaN is refused in old data too: the whole bank stays as it was.
    FakeStore bank;
    const Bytes nan = withWord(oldRecords(src, 6, 42, false), 3 * 192 + 24 + 4 * 13, std::nanf(""));
    EXPECT_EQ(readOld(bank, nan, false, 6, 42), ReadResult::Refused);
    EXPECT_TRUE(bank == FakeStore());
    EXPECT_TRUE(bank.log.empty());
}

// Run under ASan: every reader gets an allocation of exactly the bytes it may read.
TEST(PresetBuffer, TruncatedAndCorruptBuffersAreReadInBounds)
{
    FakeStore src(0.0f, 1, true);
    const Bytes bank = written(writeBank, src), single = written(writePreset, src);
    for (long n = 0; n <= long(bank.size() - 41); ++n) {
        FakeStore store(0.5f, 0, true), before = store;
        readBuffer(readBank, store, bank, n);
        // The cut ends the blocks: programs before it are taken over, those after it untouched.
        for (int p = 0; p < kNumPrograms; ++p)
            ASSERT_TRUE(p == n / 1512 || store.holds(p < n / 1512 ? src.progs[p] : before.progs[p], p)) << n;
        ASSERT_EQ(store.log.back(), "select 1") << n;
    }
    for (long n = 0; n <= long(single.size() - 41); ++n) {
        FakeStore store(0.5f);
        readBuffer(readPreset, store, single, n);
        ASSERT_EQ(store.log.back(), "select 0") << n;
    }
    // dataSize ends the blocks before the readable bytes do.
    FakeStore cut(0.5f, 0, true), before = cut;
    readBuffer(readBank, cut, withWord(bank, 21, 2 * 1512));
    EXPECT_TRUE(cut.holds(src.progs[1], 1) && cut.holds(before.progs[2], 2));
    // The last block declares less payload than its type is read from.
    for (int32_t type : {kBlockName, kBlockParam}) {
        FakeStore store;
        readBuffer(readBank, store, Blocks().block(type, 0, 0).done(kKindBank, 0));
        ASSERT_TRUE(store.allValid());
    }

    const Bytes records = oldRecords(FakeStore(0.3f), 6, 42, false);
    for (size_t n = 0; n <= records.size(); ++n) {
        FakeStore a, b;
        readOld(a, Bytes(records.begin(), records.begin() + long(n)), false, 6, 42);
        readOld(b, Bytes(records.begin(), records.begin() + long(n)), false, 0, 42);
        ASSERT_TRUE(a.allValid() && b.allValid());
        ASSERT_EQ(a.log.empty() && b.log.empty(), n < 24) << "without a whole name nothing is read";
    }
    for (int numParams : {-1000, -7, -6, -1, 0, 1 << 30, std::numeric_limits<int>::max()}) {
        FakeStore a, b;
        readOld(a, records, false, std::numeric_limits<int>::max(), numParams);
        readOld(b, records, false, 0, numParams);
        ASSERT_TRUE(a.allValid() && b.allValid());
    }

    // Counts, sizes, types and program numbers overwritten with hostile values.
    std::mt19937 random(7);
    const int32_t hostile[] = {std::numeric_limits<int32_t>::min(), -12, -1, 0, 1, 7, 20, 156, 5040,
                               std::numeric_limits<int32_t>::max()};
    for (int round = 0; round < 3000; ++round) {
        Bytes b = bank;
        for (int k = 0; k < 3; ++k) {
            // numBlocks or dataSize, or type, size or program of a name or parameter block.
            const size_t block = random() % 43, start = 41 + 1512 * (random() % 6) + (block ? 136 + 32 * block : 0);
            const size_t word = random() % 4 == 0 ? (random() % 2 ? 13 : 21) : start + 4 * (random() % 3);
            b = withWord(b, word, hostile[random() % 10]);
        }
        FakeStore store;
        readBuffer(readBank, store, b, long(random() % (b.size() - 40)));
        ASSERT_TRUE(store.allValid()) << round;
    }
}
