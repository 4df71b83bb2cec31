// The state chunk: what the host is given, and what happens to the store for
// current, old, byte-reversed, foreign, truncated and corrupted chunks.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "presets/StateChunk.h"

namespace {

using Bytes = std::vector<unsigned char>;
constexpr int32_t kId = 0x4B525441;

float valueOf(int program, int index, float shift)
{
    return std::fmod((program * 42 + index + 1) / 300.0f + shift, 1.0f);
}

bool dummy(int i)
{
    return i == 2 || i == 3 || i == 4 || i == 5 || i == 8 || i == 10 || i == 11 || i > 27;
}

// A program store that logs the names and selections it is given.
struct FakeStore : PresetStore {
    explicit FakeStore(float shift = 0.0f)
    {
        for (int p = 0; p < kNumPrograms; ++p) {
            progs[p].name[0] = static_cast<char>('A' + p);
            for (int i = 0; i < kNumProgramParams; ++i)
                progs[p].params[i] = valueOf(p, i, shift);
        }
        std::fill(std::begin(templ.params), std::end(templ.params), 0.25f);
    }
    int32_t uniqueID() override { return kId; }
    long presetNo() override { return sel; }
    ProgramRecord* programs() override { return progs.data(); }
    bool isDummy(int i) override { return dummy(i); }
    bool isDummyOld(int i) override { return dummy(i); }
    void initializePreset(long i) override { progs[i] = templ; }
    void setPresetName(const char* n) override { log.push_back("name " + std::string(n)); }
    void setPresetNo(long n) override { sel = n; log.push_back("select " + std::to_string(n)); }

    std::array<ProgramRecord, kNumPrograms> progs{};
    ProgramRecord templ{"Template", {}};
    long sel = 0;
    std::vector<std::string> log;
};

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

Bytes chunkOf(FakeStore& store)
{
    Bytes buffer(9121);
    void* data = nullptr;
    int32_t n = writeStateChunk(store, buffer.data(), 9121, &data);
    buffer.resize(static_cast<size_t>(n));
    return buffer;
}

// Reads the first `size` bytes of chunk from a block of exactly that size,
// so that ASan catches any read past it; the chunk must come back unchanged.
// The scratch copy starts filled with `fill`.
int32_t readChunk(FakeStore& store, const Bytes& chunk, size_t size, unsigned char fill = 0)
{
    std::unique_ptr<unsigned char[]> exact(new unsigned char[size]);
    memcpy(exact.get(), chunk.data(), std::min(size, chunk.size()));
    std::unique_ptr<unsigned char[]> scratch(new unsigned char[kOldChunkCopySize]);
    memset(scratch.get(), fill, kOldChunkCopySize);
    int32_t result = readStateChunk(store, exact.get(), static_cast<int32_t>(size), scratch.get());
    EXPECT_EQ(memcmp(exact.get(), chunk.data(), std::min(size, chunk.size())), 0) << "the host's data was written";
    return result;
}

int32_t readChunk(FakeStore& store, const Bytes& chunk)
{
    return readChunk(store, chunk, chunk.size());
}

// A current-format chunk as a machine of the other byte order writes it.
Bytes reversedTwin(Bytes c)
{
    mySwapBytes(&c[0]);
    mySwapBytes(&c[4]);
    for (size_t off = 8 + 5; off < 49; off += 4)
        mySwapBytes(&c[off]);
    for (size_t pos = 49; pos < c.size();) {
        int32_t type, size;
        memcpy(&type, &c[pos], 4);
        memcpy(&size, &c[pos + 4], 4);
        for (size_t w = 0; w < 12 + (type == kBlockName ? 0u : size_t(size)); w += 4)
            mySwapBytes(&c[pos + w]);
        pos += 12 + size_t(size);
    }
    return c;
}

// An old-format chunk of n records of `values` floats. Values at indexes old
// data does not carry hold 7.0: a reader that does not skip them refuses the chunk.
Bytes oldChunk(int32_t n, int values, int32_t current, bool swapped)
{
    Bytes c;
    auto word = [&](int32_t w) {
        if (swapped)
            mySwapBytes(&w);
        c.insert(c.end(), (unsigned char*)&w, (unsigned char*)&w + 4);
    };
    for (int32_t w : {kChunkVersionOld, kId, n, current, 0, 0, 0, 0})
        word(w);
    for (int p = 0; p < n; ++p) {
        unsigned char name[24] = {'O', 'l', 'd', static_cast<unsigned char>('0' + p)};
        c.insert(c.end(), name, name + 24);
        for (int j = 0; j < values; ++j) {
            float v = dummy(j) ? 7.0f : valueOf(p, j, 0.3f);
            int32_t bits;
            memcpy(&bits, &v, 4);
            word(bits);
        }
    }
    return c;
}

}  // namespace

TEST(StateChunk, GivesHeaderAndBankInTheChunkBuffer)
{
    FakeStore store;
    Bytes buffer(9121, 0xAA);
    void* data = nullptr;
    ASSERT_EQ(writeStateChunk(store, buffer.data(), 9121, &data), 8 + 5081);
    EXPECT_EQ(data, buffer.data());
    EXPECT_EQ(Bytes(buffer.begin(), buffer.begin() + 8), (Bytes{0, 0, 0, 2, 0x41, 0x54, 0x52, 0x4B}));
    char* bank = nullptr;
    std::unique_ptr<char[]> owned;
    ASSERT_EQ(bankToBuffer(store, &bank), 5081);
    owned.reset(bank);
    EXPECT_EQ(memcmp(buffer.data() + 8, bank, 5081), 0);
    EXPECT_TRUE(std::all_of(buffer.begin() + 5089, buffer.end(), [](unsigned char b) { return b == 0; }));

    // Too small for the bank: nothing is given and *data stays as it was.
    void* untouched = &store;
    EXPECT_EQ(writeStateChunk(store, buffer.data(), 5088, &untouched), 0);
    EXPECT_EQ(untouched, &store);
}

TEST(StateChunk, RestoresInEitherByteOrder)
{
    FakeStore src;
    src.sel = 3;
    const Bytes chunk = chunkOf(src);
    FakeStore native(0.5f), reversed(0.5f);
    EXPECT_EQ(readChunk(native, chunk), 0);
    EXPECT_EQ(readChunk(reversed, reversedTwin(chunk)), 0);
    for (int p = 0; p < kNumPrograms; ++p)
        for (int i = 0; i < kNumProgramParams; ++i)
            ASSERT_EQ(native.progs[p].params[i], dummy(i) ? 0.25f : src.progs[p].params[i]);
    EXPECT_TRUE(sameStore(native, reversed));
    EXPECT_EQ(native.log, std::vector<std::string>{"select 3"});
    EXPECT_EQ(reversed.log, native.log);
}

TEST(StateChunk, RefusedChunksChangeNothing)
{
    FakeStore src;
    const Bytes chunk = chunkOf(src);
    Bytes foreign = chunk, version3 = chunk, reversed3 = reversedTwin(chunk);
    foreign[4] ^= 1;
    version3[3] = 3;
    reversed3[0] = 3;
    const std::pair<Bytes, size_t> refused[] = {{foreign, foreign.size()}, {version3, version3.size()},
                                                {reversed3, reversed3.size()}, {chunk, 0}, {chunk, 7}, {chunk, 48},
                                                {oldChunk(6, 42, 0, false), 31}};
    for (const auto& [data, size] : refused) {
        FakeStore store(0.5f), before(0.5f);
        EXPECT_EQ(readChunk(store, data, size), -1) << size;
        EXPECT_TRUE(sameStore(store, before));
        EXPECT_TRUE(store.log.empty());
    }
    unsigned char scratch[kOldChunkCopySize];
    FakeStore store;
    EXPECT_EQ(readStateChunk(store, nullptr, 5089, scratch), -1);
}

TEST(StateChunk, OldFormatRestoresAndSelects)
{
    for (bool swapped : {false, true}) {
        for (auto [current, selected] : {std::pair(3, 3), std::pair(7, 0), std::pair(-1, 0)}) {
            FakeStore store(0.5f);
            store.sel = 4;
            const Bytes chunk = oldChunk(6, 42, current, swapped);
            ASSERT_EQ(chunk.size(), 1184u);
            EXPECT_EQ(readChunk(store, chunk), 0);
            for (int p = 0; p < kNumPrograms; ++p) {
                EXPECT_EQ(std::string(store.progs[p].name), "Old" + std::to_string(p));
                for (int j = 0; j < kNumProgramParams; ++j)
                    ASSERT_EQ(store.progs[p].params[j], dummy(j) ? 0.25f : valueOf(p, j, 0.3f)) << p << ' ' << j;
            }
            EXPECT_EQ(store.log, std::vector<std::string>{"select " + std::to_string(selected)});
        }
    }
}

TEST(StateChunk, OldFormatShortRecordsAndRefusedValue)
{
    FakeStore store;
    EXPECT_EQ(readChunk(store, oldChunk(6, 30, 0, false)), 0);
    for (int j = 0; j < kNumProgramParams; ++j)
        EXPECT_EQ(store.progs[5].params[j], j < 30 && !dummy(j) ? valueOf(5, j, 0.3f) : 0.25f) << j;

    // 1.5 in the third program: the chunk is refused whole, every program
    // stays as it was and nothing is selected.
    Bytes chunk = oldChunk(6, 42, 1, false);
    const float bad = 1.5f;
    memcpy(&chunk[32 + 2 * 192 + 24 + 4 * 9], &bad, 4);
    FakeStore refused(0.5f), before(0.5f);
    EXPECT_EQ(readChunk(refused, chunk), -1);
    for (int p = 0; p < kNumPrograms; ++p)
        EXPECT_EQ(memcmp(&refused.progs[p], &before.progs[p], sizeof(ProgramRecord)), 0) << p;
    EXPECT_TRUE(refused.log.empty());
}

namespace {

// Two reads of the same bytes with differently filled scratch copies: a
// reader that takes bytes the chunk did not supply gives different results.
void readsOnlyWhatIsThere(const Bytes& chunk, size_t size)
{
    FakeStore a, b;
    const int32_t result = readChunk(a, chunk, size, 0x00);
    ASSERT_EQ(readChunk(b, chunk, size, 0x3E), result) << size;
    ASSERT_TRUE(result == 0 || result == -1);
    ASSERT_TRUE(sameStore(a, b)) << size;
    ASSERT_TRUE(allValid(a));
}

}  // namespace

// Run under ASan: each chunk is read from a block of exactly its size.
TEST(StateChunk, TruncatedAndCorruptChunksAreReadInBounds)
{
    FakeStore src;
    const Bytes current = chunkOf(src), old = oldChunk(6, 42, 2, false);
    for (size_t n = 0; n <= current.size(); ++n) {
        FakeStore store;
        ASSERT_EQ(readChunk(store, current, n), n < 49 ? -1 : 0) << n;
        ASSERT_TRUE(allValid(store));
    }
    for (size_t n = 0; n <= old.size(); ++n)
        readsOnlyWhatIsThere(old, n);
    // Program counts that do not match the data, and sizes beyond the copy.
    // Zero records read as empty names and valid values to the last byte.
    Bytes big = old, zeros = oldChunk(0, 0, 0, false);
    big.resize(5000);
    zeros.resize(5000);
    for (int32_t n : {std::numeric_limits<int32_t>::min(), -1, 0, 1, 2, 6, 7, 1000, std::numeric_limits<int32_t>::max()}) {
        memcpy(&big[8], &n, 4);
        memcpy(&zeros[8], &n, 4);
        for (size_t size : {32, 33, 100, 1183, 1184, 1300, 5000}) {
            readsOnlyWhatIsThere(big, size);
            readsOnlyWhatIsThere(zeros, size);
        }
    }
}
