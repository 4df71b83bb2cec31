// The state chunk: what the host is given, and what happens to the store for
// current, old, byte-reversed, foreign, truncated and corrupted chunks.
#include <cstdint>
#include <limits>

#include "presets/PresetFiles.h"
#include "presets/StateChunk.h"
#include "tests/presets/FakeStore.h"

namespace {

// Reads the first `size` bytes of chunk from a block of exactly that size;
// the chunk must come back unchanged. The scratch copy starts filled with `fill`.
int32_t readChunk(FakeStore& store, const Bytes& chunk, size_t size, unsigned char fill = 0)
{
    const auto exact = exactCopy(chunk, size);
    unsigned char scratch[kOldChunkCopySize];
    memset(scratch, fill, sizeof scratch);
    const int32_t result = readStateChunk(store, exact.get(), int32_t(size), scratch);
    EXPECT_EQ(memcmp(exact.get(), chunk.data(), std::min(size, chunk.size())), 0) << "the host's data was written";
    return result;
}

int32_t readChunk(FakeStore& store, const Bytes& chunk) { return readChunk(store, chunk, chunk.size()); }

Bytes chunkOf(FakeStore& store)
{
    Bytes buffer(9121);
    void* data = nullptr;
    buffer.resize(size_t(writeStateChunk(store, reinterpret_cast<unsigned char*>(buffer.data()), 9121, &data)));
    return buffer;
}

const FakeStore kOld(0.3f);

// An old-format chunk of n records of kOld's first `values` values.
Bytes oldChunk(int32_t n, int values, int32_t current, bool swapped)
{
    Bytes c(32, 0), records = oldRecords(kOld, std::min(n, 6), values, swapped);
    const int32_t words[] = {kChunkVersionOld, FakeStore().uniqueID(), n, current};
    memcpy(c.data(), words, sizeof words);
    for (size_t w = 0; swapped && w < 16; w += 4)
        mySwapBytes(&c[w]);
    c.insert(c.end(), records.begin(), records.end());
    return c;
}

// Two reads of the same bytes with differently filled scratch copies: a
// reader that takes bytes the chunk did not supply gives different results.
void readsOnlyWhatIsThere(const Bytes& chunk, size_t size)
{
    FakeStore a, b;
    const int32_t result = readChunk(a, chunk, size, 0x00);
    ASSERT_EQ(readChunk(b, chunk, size, 0x3E), result) << size;
    ASSERT_TRUE(result == 0 || result == -1);
    ASSERT_TRUE(a == b && a.allValid()) << size;
}

}  // namespace

TEST(StateChunk, GivesHeaderAndBankAndRestoresThemInEitherByteOrder)
{
    FakeStore src(0.0f, 3), native(0.5f), reversed(0.5f);
    Bytes buffer(9121, char(0xAA));
    auto* chunkBuffer = reinterpret_cast<unsigned char*>(buffer.data());
    void* data = nullptr;
    ASSERT_EQ(writeStateChunk(src, chunkBuffer, 9121, &data), 8 + 5081);
    EXPECT_EQ(data, buffer.data());
    EXPECT_EQ(Bytes(buffer.begin(), buffer.begin() + 8), (Bytes{0, 0, 0, 2, 0x41, 0x54, 0x52, 0x4B}));
    EXPECT_EQ(Bytes(buffer.begin() + 8, buffer.begin() + 5089), written(writeBank, src));
    EXPECT_TRUE(std::all_of(buffer.begin() + 5089, buffer.end(), [](char b) { return b == 0; }));
    // Too small for the bank: nothing is given and *data stays as it was.
    void* untouched = &src;
    EXPECT_EQ(writeStateChunk(src, chunkBuffer, 5088, &untouched), 0);
    EXPECT_EQ(untouched, &src);

    const Bytes chunk = chunkOf(src);
    EXPECT_EQ(readChunk(native, chunk), 0);
    EXPECT_EQ(readChunk(reversed, reversedTwin(chunk, 8)), 0);
    for (int p = 0; p < kNumPrograms; ++p)
        ASSERT_TRUE(native.holds(src.carried(p), p)) << p;
    EXPECT_TRUE(native == reversed);
    // Six menu titles, then the selection.
    EXPECT_EQ(native.log.size(), 9u);
    EXPECT_EQ(Log(native.log.end() - 3, native.log.end()), (Log{"entry 3", "show P3 0.0", "select 3"}));
    EXPECT_EQ(reversed.log, native.log);
}

TEST(StateChunk, RefusedChunksChangeNothing)
{
    FakeStore src;
    const Bytes chunk = chunkOf(src), old = oldChunk(6, 42, 1, false);
    Bytes reversed3 = reversedTwin(chunk, 8), foreign = chunk;
    reversed3[0] = 3;
    foreign[4] ^= 1;
    // A NaN in program 4's third parameter block refuses the whole bank, in either byte order.
    const Bytes badBank = withWord(chunk, 8 + 41 + 4 * 840 + 168 + 2 * 32 + 24, std::nanf(""));
    const std::pair<Bytes, size_t> refused[] = {
        {foreign, foreign.size()}, {withWord(chunk, 0, 0x03000000), chunk.size()}, {reversed3, reversed3.size()},
        {chunk, 0}, {chunk, 7}, {chunk, 48}, {old, 31}, {badBank, chunk.size()},
        {reversedTwin(badBank, 8), chunk.size()},
        // An infinite value in the third program of an old chunk refuses it whole.
        {withWord(old, 32 + 2 * 192 + 24 + 4 * 9, std::numeric_limits<float>::infinity()), old.size()}};
    for (const auto& [data, size] : refused) {
        FakeStore store(0.5f, 4);
        EXPECT_EQ(readChunk(store, data, size), -1) << size;
        EXPECT_TRUE(store == FakeStore(0.5f, 4));
        EXPECT_TRUE(store.log.empty());
    }
    unsigned char scratch[kOldChunkCopySize];
    EXPECT_EQ(readStateChunk(src, nullptr, 5089, scratch), -1);
}

// Run under ASan: each chunk is read from a block of exactly its size.
TEST(StateChunk, TruncatedAndCorruptChunksAreReadInBounds)
{
    FakeStore src;
    const Bytes current = chunkOf(src), old = oldChunk(6, 42, 2, false);
    for (size_t n = 0; n <= current.size(); ++n) {
        FakeStore store;
        ASSERT_EQ(readChunk(store, current, n), n < 49 ? -1 : 0) << n;
        ASSERT_TRUE(store.allValid());
    }
    for (size_t n = 0; n <= old.size(); ++n)
        readsOnlyWhatIsThere(old, n);
    // Program counts that do not match the data, and sizes beyond the copy.
    // Zero records read as empty names and valid values to the last byte.
    Bytes big = old, zeros = oldChunk(0, 0, 0, false);
    big.resize(5000);
    zeros.resize(5000);
    for (int32_t n : {INT32_MIN, -1, 0, 1, 2, 6, 7, 1000, INT32_MAX})
        for (size_t size : {32, 33, 100, 1183, 1184, 1300, 5000}) {
            readsOnlyWhatIsThere(withWord(big, 8, n), size);
            readsOnlyWhatIsThere(withWord(zeros, 8, n), size);
        }
}
