// The preset buffer format shared by state chunks, preset and bank files and
// preference values: a packed 41-byte header followed by typed blocks, plus
// the older flat layout that is still read. The operations build buffers
// from the program store and read them back into it; they reach the store
// and the window through PresetStore, so they run with or without a window.
// A reader fills a copy of the programs and touches the store, the window
// and the selection only once it has taken all of its data.
// All of them run on the thread that handles the host's chunk calls or the
// editor's events; none takes a lock.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>

#include "engine/ProgramRecord.h"

// Kinds in the header. The current layout is written; the old flat layout
// (33, 55, 11) is only read.
constexpr uint8_t kKindPreset = 34;
constexpr uint8_t kKindBank = 56;
constexpr uint8_t kKindMidiMap = 12;
constexpr uint8_t kKindPresetOld = 33;
constexpr uint8_t kKindBankOld = 55;
constexpr uint8_t kKindMidiMapOld = 11;

constexpr int32_t kPresetFormatVersion = 0x01080000;

// Block types and sizes (12-byte block header, then the payload).
constexpr int32_t kBlockName = 0;
constexpr int32_t kBlockParam = 1;
constexpr int32_t kBlockMidi = 2;
constexpr int kBlockHeaderSize = 12;
constexpr int kNameBlockSize = 168;
constexpr int kParamBlockSize = 32;

// Old flat layout: a 4-byte ID and the kind byte precede the records.
constexpr int kOldPrefixSize = 5;

#pragma pack(push, 1)
struct newpresetheader {
    int32_t uniqueID;        // 0
    uint8_t kind;            // 4
    int32_t formatVersion;   // 5
    int32_t numParams;       // 9
    int32_t numBlocks;       // 13, signed
    int32_t currentProgram;  // 17
    int32_t dataSize;        // 21, bytes of all blocks that follow
    int32_t reserved[4];     // 25
};
#pragma pack(pop)
static_assert(sizeof(newpresetheader) == 41, "preset header is packed to 41 bytes");

// Reverses the four bytes of the 32-bit word at `word` (any alignment).
void mySwapBytes(void* word);

// The 32-bit fields of preset data, at any alignment, in either byte order.
void putWord(char* p, int32_t v);
void putFloat(char* p, float v);
int32_t getWord(const char* p, bool swapped);
float getFloat(const char* p, bool swapped);
// The byte order of preset data, told by the plug-in's unique ID as the
// data stores it: the ID as this machine writes it means native order, the
// ID byte-reversed means the other order, anything else is not our data.
enum class ByteOrder { Native, Reversed, Foreign };
ByteOrder byteOrderOf(const void* storedID, int32_t ownID);
// A value a controller map may carry: 0 to 1 (NaN is not).
bool isValidValue(float v);
// Reverses every 32-bit word of the header except uniqueID (and kind).
void byteSwapHeader(newpresetheader* header);

// What the buffer operations need from the program store and the window.
class PresetStore {
public:
    virtual ~PresetStore() = default;
    virtual int32_t uniqueID() = 0;
    virtual long presetNo() = 0;
    virtual ProgramRecord* programs() = 0;  // the six records, or null
    virtual bool isDummy(int index) = 0;
    virtual bool isDummyOld(int index) = 0;
    virtual const ProgramRecord& programTemplate() = 0;  // what each program read from data starts as
    virtual void setPresetName(const char* name) = 0;
    virtual void setPresetNo(long n) = 0;
    // Window refresh; the editor implements them, without a window they do
    // nothing. Names handed over are 24 name bytes followed by a NUL.
    virtual void showMenuEntry(int /*entry*/, const char* /*name24*/) {}  // make entry current and title it
    virtual void selectMenuEntry(int /*entry*/) {}
    virtual void showName(const char* /*name*/) {}
};

// What a reader did with its data: loaded it into the store, or refused it,
// which changes nothing (programs, window and selection stay as they were).
enum class ReadResult { Loaded, Refused };

// The programs a reader fills: a copy of the store's six, which goes into the
// store only when commit() is called, once all of the data has been taken.
class StagedPrograms {
public:
    explicit StagedPrograms(ProgramRecord* programs) : target(programs)
    {
        std::copy_n(programs, kNumPrograms, copy.begin());
    }
    ProgramRecord& operator[](long i) { return copy[static_cast<size_t>(i)]; }
    ProgramRecord* data() { return copy.data(); }
    void commit() const { std::copy(copy.begin(), copy.end(), target); }

private:
    ProgramRecord* target;
    std::array<ProgramRecord, kNumPrograms> copy;
};

// Writers: *out receives a buffer of exactly the returned length, allocated
// with new[] (the caller delete[]s it); 0 and *out = nullptr when there is
// nothing to write or the allocation fails.
// Writes a header of this plug-in's format (42 parameters).
void writePresetHeader(char* out, int32_t id, uint8_t kind, int32_t numBlocks, int32_t currentProgram,
                       int32_t dataSize);
// Writes a 32-byte value block (a parameter or a controller assignment) at p
// and returns the position after it.
char* writeValueBlock(char* p, int32_t type, int32_t program, int32_t index, float value);

// Walks the blocks of a current-layout buffer. Blocks end at dataSize or at
// the end of the readable bytes, whichever comes first; a block whose header,
// or the readEnd(type) bytes read from it, do not fit, or whose size is
// negative, marks the end of the blocks. visit(type, program, block) returns
// false to abort the read; walkBlocks then returns false too.
template <typename ReadEnd, typename Visit>
bool walkBlocks(const char* data, long available, const newpresetheader& header, bool swapped, ReadEnd readEnd,
                Visit visit)
{
    const int64_t end = data ? std::max<int64_t>(0, std::min<int64_t>(header.dataSize, available)) : 0;
    int64_t pos = 0;
    for (int32_t b = 0; b < header.numBlocks; ++b) {
        if (end - pos < kBlockHeaderSize)
            break;
        const char* block = data + pos;
        const int32_t type = getWord(block, swapped);
        const int32_t size = getWord(block + 4, swapped);
        const int32_t program = getWord(block + 8, swapped);
        if (size < 0 || end - pos - kBlockHeaderSize < size)
            break;
        if (end - pos < readEnd(type))
            break;
        if (!visit(type, program, block))
            return false;
        pos += kBlockHeaderSize + static_cast<int64_t>(size);
    }
    return true;
}

long writePreset(PresetStore& store, char** out);
long writeBank(PresetStore& store, char** out);

// Readers of the current layout. data points at the first block and
// `available` bytes can be read from it; header is already in native order.
// swapped: the blocks are in the other byte order. A single program replaces
// the selected one, which is then applied; a bank selects the program its
// header names (program 0 when there is no such program). Refused: no
// programs or no selection in the store, a negative block count, or a value
// that is NaN or infinite.
ReadResult readPreset(PresetStore& store, const char* data, long available, const newpresetheader& header,
                      bool swapped);
ReadResult readBank(PresetStore& store, const char* data, long available, const newpresetheader& header,
                    bool swapped);

// Records of the old flat layout, as the state chunk and the files frame
// them: `count` records `stride` bytes apart from data, where `available`
// bytes can be read, each a 24-byte name followed by `numValues` floats.
struct OldRecords {
    const char* data;
    long available;
    bool swapped;
    int count;
    int64_t stride;
    int numValues;
};

// The one reader of old records, for the chunk and the files alike. Reads
// them into into[0], into[1], ... (room for min(count, 6) records): each
// starts as the store's template program and takes its name and at most 42
// values, skipping the indexes old data does not carry (isDummyOld); finite
// values are clamped to 0..1. A record without its whole name ends the
// reading, a value past the readable bytes ends its record. Returns how many
// records were read, or -1 for a value that is NaN or infinite; `into` then
// holds part of the data and is to be dropped.
int readOldRecords(PresetStore& store, const OldRecords& records, ProgramRecord* into);

// Readers of old preset and bank data. data points at the first record
// (after the 5-byte prefix); records are a 24-byte name and numParams
// floats. A bank selects program 0. Refused, besides as above, when not even
// one name can be read.
ReadResult readPresetOld(PresetStore& store, const char* data, long available, bool swapped, int numParams);
ReadResult readBankOld(PresetStore& store, const char* data, long available, bool swapped, int numPrograms,
                       int numParams);
