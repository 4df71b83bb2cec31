// Preset and bank buffers: the writers' bytes, and the readers against
// hand-made, byte-reversed, refused, truncated and corrupted buffers.
#include <array>
#include <cmath>
#include <cstring>
#include <limits>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "presets/PresetBuffer.h"

namespace {

using Log = std::vector<std::string>;

float valueOf(int program, int index, float shift)
{
    return std::fmod((program * 42 + index + 1) / 300.0f + shift, 1.0f);
}

// A program store that logs the refreshes and selections it is asked for.
struct FakeStore : PresetStore {
    explicit FakeStore(float shift = 0.0f, bool allCarried = false) : allCarried(allCarried)
    {
        for (int p = 0; p < kNumPrograms; ++p) {
            std::string name = "Program " + std::to_string(p) + "/" + std::to_string(int(shift * 10));
            strncpy(progs[p].name, name.c_str(), 23);
            for (int i = 0; i < kNumProgramParams; ++i)
                progs[p].params[i] = valueOf(p, i, shift);
        }
        std::fill(std::begin(templ.params), std::end(templ.params), 0.25f);
    }
    int32_t uniqueID() override { return 0x4B525441; }
    long presetNo() override { return sel; }
    ProgramRecord* programs() override { return progs.data(); }
    bool isDummy(int i) override { return !allCarried && (i == 2 || i == 3 || i == 4 || i == 5 || i == 8 || i == 10 || i == 11 || i > 27); }
    bool isDummyOld(int i) override { return isDummy(i); }
    void initializePreset(long i) override { progs[i] = templ; }
    void setPresetName(const char* n) override { log.push_back("name " + std::string(n)); }
    void setPresetNo(long n) override { sel = n; log.push_back("select " + std::to_string(n)); }
    void showMenuEntry(int e, const char* n) override { log.push_back("menu " + std::to_string(e) + " " + n); }
    void selectMenuEntry(int e) override { log.push_back("entry " + std::to_string(e)); }
    void showName(const char* n) override { log.push_back("show " + std::string(n)); }

    std::array<ProgramRecord, kNumPrograms> progs{};
    ProgramRecord templ{"Template", {}};
    long sel = 0;
    bool allCarried;
    Log log;
};

bool same(const ProgramRecord& a, const ProgramRecord& b)
{
    return memcmp(&a, &b, sizeof a) == 0;
}

bool sameStore(const FakeStore& a, const FakeStore& b)
{
    return memcmp(a.progs.data(), b.progs.data(), sizeof a.progs) == 0;
}

bool allValid(const FakeStore& store)
{
    for (const ProgramRecord& p : store.progs)
        for (float v : p.params)
            if (!(v >= 0.0f && v <= 1.0f))
                return false;
    return true;
}

std::vector<char> written(long (*writer)(PresetStore&, char**), PresetStore& store)
{
    char* out = nullptr;
    long n = writer(store, &out);
    std::unique_ptr<char[]> owned(out);
    return std::vector<char>(out, out + n);
}

// Reads a buffer (header included) whose blocks sit in an allocation of
// exactly `available` bytes, so that ASan catches any read past them.
void read(void (*reader)(PresetStore&, const char*, long, const newpresetheader&, bool), PresetStore& store,
          const std::vector<char>& buffer, long available = -1, bool swapped = false)
{
    newpresetheader h;
    memcpy(&h, buffer.data(), sizeof h);
    if (swapped)
        byteSwapHeader(&h);
    if (available < 0)
        available = static_cast<long>(buffer.size() - sizeof h);
    std::unique_ptr<char[]> blocks(new char[static_cast<size_t>(available)]);
    memcpy(blocks.get(), buffer.data() + sizeof h, static_cast<size_t>(available));
    reader(store, blocks.get(), available, h, swapped);
}

// The same buffer as a machine of the other byte order writes it.
std::vector<char> reversedTwin(std::vector<char> b)
{
    for (size_t off = 5; off < 41; off += 4)
        mySwapBytes(&b[off]);
    for (size_t pos = 41; pos + 12 <= b.size();) {
        int32_t type, size;
        memcpy(&type, &b[pos], 4);
        memcpy(&size, &b[pos + 4], 4);
        for (size_t w = 0; w < 12 + (type == kBlockName ? 0u : size_t(size)); w += 4)
            mySwapBytes(&b[pos + w]);
        pos += 12 + size_t(size);
    }
    return b;
}

// Builds buffers block by block, independently of the writers.
struct Blocks {
    std::vector<char> bytes = std::vector<char>(41);
    int32_t count = 0;
    Blocks& word(int32_t v) { bytes.insert(bytes.end(), (char*)&v, (char*)&v + 4); return *this; }
    Blocks& block(int32_t type, int32_t size, int32_t program) { ++count; return word(type).word(size).word(program); }
    Blocks& name(int32_t program, const char* n)
    {
        char text[156] = {};
        memcpy(text, n, strnlen(n, 24));
        block(kBlockName, 156, program).bytes.insert(bytes.end(), text, text + 156);
        return *this;
    }
    Blocks& param(int32_t program, int32_t index, float v)
    {
        int32_t bits;
        memcpy(&bits, &v, 4);
        return block(kBlockParam, 20, program).word(index).word(0).word(0).word(bits).word(0);
    }
    Blocks& program(FakeStore& store, int p, int32_t number)
    {
        name(number, store.progs[p].name);
        for (int i = 0; i < kNumProgramParams; ++i)
            if (!store.isDummy(i))
                param(number, i, store.progs[p].params[i]);
        return *this;
    }
    std::vector<char> done(uint8_t kind, int32_t currentProgram)
    {
        newpresetheader h{0x4B525441, kind, 0x01080000, 42, count, currentProgram, int32_t(bytes.size() - 41), {}};
        memcpy(bytes.data(), &h, sizeof h);
        return bytes;
    }
};

}  // namespace

TEST(PresetBuffer, WritersProduceTheLayoutByteForByte)
{
    FakeStore store;
    store.sel = 2;
    Blocks bank;
    for (int p = 0; p < kNumPrograms; ++p)
        bank.program(store, p, p);
    EXPECT_EQ(written(presetToBuffer, store), Blocks().program(store, 2, 0).done(kKindPreset, 0));
    EXPECT_EQ(written(bankToBuffer, store), bank.done(kKindBank, 2));
    EXPECT_EQ(written(presetToBuffer, store).size(), 881u);
    EXPECT_EQ(written(bankToBuffer, store).size(), 5081u);
    FakeStore all(0.0f, true);
    EXPECT_EQ(written(presetToBuffer, all).size(), 1553u);
    EXPECT_EQ(written(bankToBuffer, all).size(), 9113u);
}

TEST(PresetBuffer, RoundTripsAndByteReversedTwinReadsTheSame)
{
    for (bool all : {true, false}) {
        FakeStore src(0.0f, all), dst(0.5f, all), twin(0.5f, all);
        src.sel = 4;
        const std::vector<char> bank = written(bankToBuffer, src);
        read(bufferToBank, dst, bank);
        read(bufferToBank, twin, reversedTwin(bank), -1, true);
        for (int p = 0; p < kNumPrograms; ++p)
            for (int i = 0; i < kNumProgramParams; ++i)
                ASSERT_EQ(dst.progs[p].params[i], src.isDummy(i) ? 0.25f : src.progs[p].params[i]);
        EXPECT_STREQ(dst.progs[5].name, src.progs[5].name);
        EXPECT_EQ(Log(dst.log.end() - 4, dst.log.end()),
                  (Log{"menu 5 Program 5/0", "entry 4", "show Program 4/0", "select 4"}));
        EXPECT_TRUE(sameStore(dst, twin));
        EXPECT_EQ(dst.log, twin.log);
    }
    FakeStore src(0.0f, true), dst(0.5f, true), twin(0.5f, true);
    src.sel = 2;
    dst.sel = twin.sel = 5;
    const std::vector<char> single = written(presetToBuffer, src);
    read(bufferToPreset, dst, single);
    read(bufferToPreset, twin, reversedTwin(single), -1, true);
    EXPECT_TRUE(same(dst.progs[5], src.progs[2]));
    EXPECT_EQ(Log(dst.log.end() - 2, dst.log.end()), (Log{"name Program 2/0", "select 5"}));
    EXPECT_TRUE(sameStore(dst, twin));
}

TEST(PresetBuffer, RefusedValueLeavesStoreAsBefore)
{
    FakeStore src;
    for (float bad : {std::nextafter(1.0f, 2.0f), std::numeric_limits<float>::quiet_NaN(), -1e-7f}) {
        std::vector<char> bank = written(bankToBuffer, src), single = written(presetToBuffer, src);
        // Program 3's fifth parameter block, and the single program's last one.
        memcpy(&bank[41 + 3 * 840 + 168 + 4 * 32 + 24], &bad, 4);
        memcpy(&single[single.size() - 8], &bad, 4);
        FakeStore a(0.5f), b(0.5f), before(0.5f);
        read(bufferToBank, a, bank);
        read(bufferToPreset, b, single);
        EXPECT_TRUE(sameStore(a, before) && sameStore(b, before));
        // Only the titles of the names read before the bad value.
        EXPECT_EQ(a.log.size(), 4u);
        EXPECT_EQ(a.log.back(), "menu 3 Program 3/0");
        EXPECT_EQ(b.log, Log{"menu 0 Program 0/0"});
    }
}

TEST(PresetBuffer, SkipsWhatIsNotAParameterOfAProgram)
{
    Blocks blocks;
    blocks.name(0, "Hand").param(0, 57, 0.3f).param(0, -3, 0.3f).block(7, 40, 0);
    // A decoy where a reader that skips a fixed 32 bytes would land.
    blocks.word(0).word(0).word(0).word(0).word(0).word(kBlockParam).word(20).word(0).word(1).word(0);
    blocks.param(0, 1, 0.75f);
    FakeStore store;
    store.sel = 2;
    read(bufferToPreset, store, blocks.done(kKindPreset, 0));
    ProgramRecord expected{"Hand", {}};
    memcpy(expected.params, store.templ.params, sizeof expected.params);
    expected.params[1] = 0.75f;
    EXPECT_TRUE(same(store.progs[2], expected));

    // A name alone gives the template under that name.
    read(bufferToPreset, store, Blocks().name(0, "Only a name").done(kKindPreset, 0));
    memcpy(expected.params, store.templ.params, sizeof expected.params);
    strcpy(expected.name, "Only a name");
    EXPECT_TRUE(same(store.progs[2], expected));

    // A bank without names changes only its values; programs 8 and -1 do not
    // exist, and currentProgram 9 selects program 0.
    FakeStore bank, before;
    bank.sel = 3;
    read(bufferToBank, bank, Blocks().param(2, 6, 0.9f).param(8, 6, 0.9f).param(-1, 6, 0.9f).done(kKindBank, 9));
    before.progs[2].params[6] = 0.9f;
    EXPECT_TRUE(sameStore(bank, before));
    EXPECT_EQ(bank.log, (Log{"entry 0", "show Program 0/0", "select 0"}));
}

namespace {

// Old records: a name and values without gaps. Indexes old data does not
// carry hold 7.0: a reader that does not skip them refuses the data.
std::vector<char> oldRecords(int programs, int values, bool swapped)
{
    std::vector<char> data;
    for (int p = 0; p < programs; ++p) {
        char name[24] = {'O', 'l', 'd', char('0' + p)};
        data.insert(data.end(), name, name + 24);
        for (int j = 0; j < values; ++j) {
            float v = FakeStore().isDummyOld(j) ? 7.0f : valueOf(p, j, 0.3f);
            if (swapped)
                mySwapBytes(&v);
            data.insert(data.end(), (char*)&v, (char*)&v + 4);
        }
    }
    return data;
}

// Hands the reader the first n bytes in an allocation of exactly n bytes.
template <typename Read>
void readOld(const std::vector<char>& data, size_t n, Read reader)
{
    std::unique_ptr<char[]> exact(new char[n]);
    memcpy(exact.get(), data.data(), n);
    reader(exact.get(), static_cast<long>(n));
}

}  // namespace

TEST(PresetBuffer, OldLayouts)
{
    // One record of 30 values: 29 + 4 * 30 bytes with the 5-byte prefix.
    FakeStore single;
    single.sel = 4;
    std::vector<char> record = oldRecords(1, 30, false);
    readOld(record, record.size(), [&](const char* d, long n) { bufferToPresetOld(single, d, n, false, 30); });
    for (int j = 0; j < kNumProgramParams; ++j)
        EXPECT_EQ(single.progs[4].params[j], j < 30 && !single.isDummyOld(j) ? valueOf(0, j, 0.3f) : 0.25f) << j;
    EXPECT_EQ(single.log, (Log{"show Old0", "menu 4 Old0", "name Old0", "select 4"}));

    for (bool swapped : {false, true}) {
        FakeStore bank;
        std::vector<char> records = oldRecords(6, 42, swapped);
        readOld(records, records.size(), [&](const char* d, long n) { bufferToBankOld(bank, d, n, swapped, 6, 42); });
        for (int p = 0; p < kNumPrograms; ++p) {
            EXPECT_EQ(bank.progs[p].name, "Old" + std::to_string(p));
            for (int j = 0; j < kNumProgramParams; ++j)
                ASSERT_EQ(bank.progs[p].params[j], bank.isDummyOld(j) ? 0.25f : valueOf(p, j, 0.3f));
        }
        EXPECT_EQ(bank.log.back(), "select 0");
    }

    // NaN is refused in old data too: the whole bank stays as it was.
    FakeStore bank, before;
    std::vector<char> records = oldRecords(6, 42, false);
    const float nan = std::numeric_limits<float>::quiet_NaN();
    memcpy(&records[3 * 192 + 24 + 4 * 13], &nan, 4);
    readOld(records, records.size(), [&](const char* d, long n) { bufferToBankOld(bank, d, n, false, 6, 42); });
    EXPECT_TRUE(sameStore(bank, before));
    EXPECT_EQ(bank.log.back(), "menu 3 Old3");
}

// Run under ASan: every reader gets an allocation of exactly the bytes it may read.
TEST(PresetBuffer, TruncatedAndCorruptBuffersAreReadInBounds)
{
    FakeStore src(0.0f, true);
    src.sel = 1;
    const std::vector<char> bank = written(bankToBuffer, src), single = written(presetToBuffer, src);
    for (long n = 0; n <= long(bank.size() - 41); ++n) {
        FakeStore store(0.5f, true), before(0.5f, true);
        read(bufferToBank, store, bank, n);
        // The cut ends the blocks: programs before it are taken over, those after it untouched.
        for (long p = 0; p < kNumPrograms; ++p) {
            if (p != n / 1512) {
                ASSERT_TRUE(same(store.progs[p], p < n / 1512 ? src.progs[p] : before.progs[p])) << n;
            }
        }
        ASSERT_EQ(store.log.back(), "select 1") << n;
    }
    for (long n = 0; n <= long(single.size() - 41); ++n) {
        FakeStore store(0.5f);
        read(bufferToPreset, store, single, n);
        ASSERT_EQ(store.log.back(), "select 0") << n;
    }
    // dataSize ends the blocks before the readable bytes do.
    std::vector<char> shortened = bank;
    const int32_t twoPrograms = 2 * 1512;
    memcpy(&shortened[21], &twoPrograms, 4);
    FakeStore cut(0.5f, true), before(0.5f, true);
    read(bufferToBank, cut, shortened);
    EXPECT_TRUE(same(cut.progs[1], src.progs[1]) && same(cut.progs[2], before.progs[2]));
    // The last block declares less payload than its type is read from.
    for (int32_t type : {kBlockName, kBlockParam}) {
        FakeStore store;
        read(bufferToBank, store, Blocks().block(type, 0, 0).done(kKindBank, 0));
        ASSERT_TRUE(allValid(store));
    }

    const std::vector<char> records = oldRecords(6, 42, false);
    for (size_t n = 0; n <= records.size(); ++n) {
        FakeStore a, b;
        readOld(records, n, [&](const char* d, long len) {
            bufferToBankOld(a, d, len, false, 6, 42);
            bufferToPresetOld(b, d, len, false, 42);
        });
        ASSERT_TRUE(allValid(a) && allValid(b));
        ASSERT_EQ(a.log.empty() && b.log.empty(), n < 24) << "without a whole name nothing is read";
    }
    for (int numParams : {-1000, -7, -6, -1, 0, 1 << 30, std::numeric_limits<int>::max()}) {
        FakeStore a, b;
        readOld(records, records.size(), [&](const char* d, long len) {
            bufferToBankOld(a, d, len, false, std::numeric_limits<int>::max(), numParams);
            bufferToPresetOld(b, d, len, false, numParams);
        });
        ASSERT_TRUE(allValid(a) && allValid(b));
    }

    // Counts, sizes, types and program numbers overwritten with hostile values.
    std::mt19937 random(7);
    const int32_t hostile[] = {std::numeric_limits<int32_t>::min(), -12, -1, 0, 1, 7, 20, 156, 5040,
                               std::numeric_limits<int32_t>::max()};
    for (int round = 0; round < 3000; ++round) {
        std::vector<char> b = bank;
        for (int k = 0; k < 3; ++k) {
            // numBlocks or dataSize, or type, size or program of a name or parameter block.
            const size_t block = random() % 43, start = 41 + 1512 * (random() % 6) + (block ? 136 + 32 * block : 0);
            const size_t word = random() % 4 == 0 ? (random() % 2 ? 13 : 21) : start + 4 * (random() % 3);
            memcpy(&b[word], &hostile[random() % 10], 4);
        }
        FakeStore store;
        read(bufferToBank, store, b, static_cast<long>(random() % (b.size() - 40)));
        ASSERT_TRUE(allValid(store)) << round;
    }
}
