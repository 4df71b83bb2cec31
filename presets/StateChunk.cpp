#include "presets/StateChunk.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <memory>

namespace {

constexpr int32_t kChunkHeaderSize = sizeof(ChunkHeader);
constexpr int32_t kOldChunkHeaderSize = sizeof(OldChunkHeader);
constexpr int32_t kBanksStart = kChunkHeaderSize + sizeof(newpresetheader);  // 49

// The old format: a 32-byte header, then as many records of equal size as
// it counts, filling the rest of the chunk. They are read from the bounded
// copy in oldChunkBuffer.
int32_t readOldChunk(PresetStore& store, const unsigned char* data, int32_t byteSize,
                     unsigned char* oldChunkBuffer, bool swapped)
{
    ProgramRecord* programs = store.programs();
    if (!programs)
        return -1;
    const int32_t copied = std::min(byteSize, kOldChunkCopySize);
    memcpy(oldChunkBuffer, data, static_cast<size_t>(copied));
    const char* copy = reinterpret_cast<const char*>(oldChunkBuffer);
    const int32_t n = getWord(copy + offsetof(OldChunkHeader, numPrograms), swapped);
    const int32_t current = getWord(copy + offsetof(OldChunkHeader, currentProgram), swapped);

    OldRecords records{copy + kOldChunkHeaderSize, copied - kOldChunkHeaderSize, swapped, 0, 0, 0};
    if (n > 0) {
        const int32_t recordSize = (byteSize - kOldChunkHeaderSize) / n;
        records.count = std::min<int32_t>(n, kNumPrograms);
        records.numValues = (recordSize - kProgramNameSize) / 4;
        // byteSize >= 32 keeps recordSize >= 0, so numValues >= -6 and the
        // stride is never negative.
        records.stride = kProgramNameSize + 4 * static_cast<int64_t>(records.numValues);
    }
    StagedPrograms staged(programs);
    if (readOldRecords(store, records, staged.data()) < 0)
        return -1;
    staged.commit();
    store.setPresetNo(current >= 0 && current < kNumPrograms ? current : 0);
    return 0;
}

}  // namespace

int32_t writeStateChunk(PresetStore& store, unsigned char* chunkBuffer, int32_t capacity, void** data)
{
    if (!chunkBuffer || !data || capacity < kChunkHeaderSize)
        return 0;
    memset(chunkBuffer, 0, static_cast<size_t>(capacity));
    const ChunkHeader header = {kChunkVersion, store.uniqueID()};
    memcpy(chunkBuffer, &header, sizeof header);

    char* bank = nullptr;
    const long n = writeBank(store, &bank);
    std::unique_ptr<char[]> owned(bank);
    if (!bank || n <= 0 || n > capacity - kChunkHeaderSize)
        return 0;
    memcpy(chunkBuffer + kChunkHeaderSize, bank, static_cast<size_t>(n));
    *data = chunkBuffer;
    return static_cast<int32_t>(n + kChunkHeaderSize);
}

int32_t readStateChunk(PresetStore& store, const void* data, int32_t byteSize, unsigned char* oldChunkBuffer)
{
    if (!data || !oldChunkBuffer || byteSize < kChunkHeaderSize)
        return -1;
    const auto* bytes = static_cast<const unsigned char*>(data);
    const ByteOrder order = byteOrderOf(bytes + offsetof(ChunkHeader, uniqueID), store.uniqueID());
    if (order == ByteOrder::Foreign)
        return -1;
    const bool swapped = order == ByteOrder::Reversed;
    const int32_t version = getWord(reinterpret_cast<const char*>(bytes), swapped);

    if (version == kChunkVersionOld) {
        if (byteSize < kOldChunkHeaderSize)
            return -1;
        return readOldChunk(store, bytes, byteSize, oldChunkBuffer, swapped);
    }
    if (version == kChunkVersion) {
        if (byteSize < kBanksStart)
            return -1;
        // The bank header is turned around on a copy: the host's data stays as given.
        newpresetheader bankHeader;
        memcpy(&bankHeader, bytes + kChunkHeaderSize, sizeof bankHeader);
        if (swapped)
            byteSwapHeader(&bankHeader);
        // A refused bank is a refused chunk: the host must not take it as restored.
        const ReadResult result = readBank(store, reinterpret_cast<const char*>(bytes + kBanksStart),
                                           byteSize - kBanksStart, bankHeader, swapped);
        return result == ReadResult::Loaded ? 0 : -1;
    }
    return -1;
}
