// The state chunk the host saves and restores (effGetChunk / effSetChunk):
// an 8-byte header and a bank buffer, or, when reading, the older format of
// a 32-byte header and flat program records. Runs on the thread the host
// makes its chunk calls from; takes no lock.
#pragma once

#include <cstdint>

#include "presets/PresetBuffer.h"

constexpr int32_t kChunkVersion = 0x02000000;
constexpr int32_t kChunkVersionOld = 0x01000000;

// Both headers hold 32-bit words in the byte order of the machine that wrote them.
struct ChunkHeader {
    int32_t version;
    int32_t uniqueID;
};
static_assert(sizeof(ChunkHeader) == 8, "chunk header layout");

struct OldChunkHeader {
    int32_t version;
    int32_t uniqueID;
    int32_t numPrograms;
    int32_t currentProgram;
    int32_t reserved[4];
};
static_assert(sizeof(OldChunkHeader) == 32, "old chunk header layout");

// Bytes of an old-format chunk that are read: the header and six records of
// 42 values.
constexpr int kOldChunkCopySize = static_cast<int>(sizeof(OldChunkHeader)) + kNumPrograms * 192;

// Fills chunkBuffer (capacity bytes, zeroed first) with the chunk header and
// the bank buffer; *data = chunkBuffer. Returns the size, or 0 when there is
// nothing to give (then *data is untouched).
int32_t writeStateChunk(PresetStore& store, unsigned char* chunkBuffer, int32_t capacity, void** data);

// Reads a chunk of byteSize bytes into the store and selects its program.
// Returns 0, or -1 for refused data. oldChunkBuffer (kOldChunkCopySize
// bytes) is the scratch copy the old format is read from; the host's data is
// never written.
int32_t readStateChunk(PresetStore& store, const void* data, int32_t byteSize, unsigned char* oldChunkBuffer);
