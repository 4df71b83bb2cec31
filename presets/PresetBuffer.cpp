#include "presets/PresetBuffer.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <new>

namespace {

constexpr int32_t kNamePayloadSize = kNameBlockSize - kBlockHeaderSize;    // 156
constexpr int32_t kParamPayloadSize = kParamBlockSize - kBlockHeaderSize;  // 20
constexpr int64_t kHeaderSize = sizeof(newpresetheader);

bool isProgramIndex(long i)
{
    return i >= 0 && i < kNumPrograms;
}

// The 24 name bytes, terminated, as every reader of a name takes them.
struct Name {
    explicit Name(const char* bytes) { memcpy(text, bytes, kProgramNameSize); }
    char text[kProgramNameSize + 1] = {};
};

// Bytes from the start of a block that the program readers look at: the
// name, or a parameter's value at 24..27.
int64_t programReadEnd(int32_t type)
{
    return type == kBlockName ? kBlockHeaderSize + kProgramNameSize : type == kBlockParam ? 28 : 0;
}

int countCarried(PresetStore& store)
{
    int n = 0;
    for (int i = 0; i < kNumProgramParams; ++i)
        if (!store.isDummy(i))
            ++n;
    return n;
}

// Writes the name block and the carried parameter blocks of one program;
// returns the position after them.
char* writeProgram(PresetStore& store, char* p, const ProgramRecord& program, int32_t index)
{
    memset(p, 0, kNameBlockSize);
    putWord(p, kBlockName);
    putWord(p + 4, kNamePayloadSize);
    putWord(p + 8, index);
    memcpy(p + 12, program.name, kProgramNameSize);
    p += kNameBlockSize;
    for (int i = 0; i < kNumProgramParams; ++i) {
        if (store.isDummy(i))
            continue;
        p = writeValueBlock(p, kBlockParam, index, i, program.params[i]);
    }
    return p;
}

// Reads a parameter block into `record`. Returns false for a value the
// program must not take (NaN or infinite; finite values an earlier build
// saved outside 0..1 are clamped); indexes outside the parameters are
// ignored.
bool readParamBlock(const char* block, bool swapped, ProgramRecord& record)
{
    const int32_t index = getWord(block + 12, swapped);
    if (index < 0 || index >= kNumProgramParams)
        return true;
    float value = getFloat(block + 24, swapped);
    if (!normaliseValue(value))
        return false;
    record.params[index] = value;
    return true;
}

// Old preset and bank data hold numParams values a record; a negative
// count gives records of a bare name, never a negative stride.
int64_t oldStride(int numParams)
{
    return kProgramNameSize + 4 * static_cast<int64_t>(std::max(numParams, 0));
}

// The names of a current-layout buffer as the program readers walk it, in
// the order the data gives them: visit(program, name). The window follows
// them only after the read, when the programs have been committed.
template <typename Visit>
void forEachName(const char* data, long available, const newpresetheader& header, bool swapped, Visit visit)
{
    walkBlocks(data, available, header, swapped, programReadEnd, [&](int32_t type, int32_t program, const char* block) {
        if (type == kBlockName)
            visit(program, Name(block + kBlockHeaderSize));
        return true;
    });
}

// Shows and applies a single program just read into slot cur.
void finishPreset(PresetStore& store, long cur)
{
    const Name name(store.programs()[cur].name);
    store.showName(name.text);
    store.showMenuEntry(static_cast<int>(cur), name.text);
    store.setPresetName(name.text);
    store.setPresetNo(cur);
}

void finishBank(PresetStore& store, long sel)
{
    store.selectMenuEntry(static_cast<int>(sel));
    store.showName(Name(store.programs()[sel].name).text);
    store.setPresetNo(sel);
}

}  // namespace


void writePresetHeader(char* out, int32_t id, uint8_t kind, int32_t numBlocks, int32_t currentProgram,
                       int32_t dataSize)
{
    newpresetheader h{};
    h.uniqueID = id;
    h.kind = kind;
    h.formatVersion = kPresetFormatVersion;
    h.numParams = kNumProgramParams;
    h.numBlocks = numBlocks;
    h.currentProgram = currentProgram;
    h.dataSize = dataSize;
    memcpy(out, &h, sizeof h);
}

char* writeValueBlock(char* p, int32_t type, int32_t program, int32_t index, float value)
{
    memset(p, 0, kParamBlockSize);
    putWord(p, type);
    putWord(p + 4, kParamPayloadSize);
    putWord(p + 8, program);
    putWord(p + 12, index);
    putFloat(p + 24, value);
    return p + kParamBlockSize;
}

void putWord(char* p, int32_t v)
{
    memcpy(p, &v, 4);
}

void putFloat(char* p, float v)
{
    memcpy(p, &v, 4);
}

int32_t getWord(const char* p, bool swapped)
{
    int32_t v;
    memcpy(&v, p, 4);
    if (swapped)
        mySwapBytes(&v);
    return v;
}

float getFloat(const char* p, bool swapped)
{
    float v;
    memcpy(&v, p, 4);
    if (swapped)
        mySwapBytes(&v);
    return v;
}

ByteOrder byteOrderOf(const void* storedID, int32_t ownID)
{
    int32_t id;
    memcpy(&id, storedID, sizeof id);
    if (id == ownID)
        return ByteOrder::Native;
    mySwapBytes(&id);
    return id == ownID ? ByteOrder::Reversed : ByteOrder::Foreign;
}

// NaN fails both comparisons, so it is refused with the out-of-range values.
bool isValidValue(float v)
{
    return v >= 0.0f && v <= 1.0f;
}


void mySwapBytes(void* word)
{
    auto* b = static_cast<unsigned char*>(word);
    std::swap(b[0], b[3]);
    std::swap(b[1], b[2]);
}

void byteSwapHeader(newpresetheader* header)
{
    auto* bytes = reinterpret_cast<unsigned char*>(header);
    for (size_t offset = 5; offset < sizeof(newpresetheader); offset += 4)
        mySwapBytes(bytes + offset);
}

long writePreset(PresetStore& store, char** out)
{
    if (!out)
        return 0;
    *out = nullptr;
    ProgramRecord* programs = store.programs();
    const long cur = store.presetNo();
    if (!programs || !isProgramIndex(cur))
        return 0;
    const int n = countCarried(store);
    const int32_t dataSize = kNameBlockSize + kParamBlockSize * n;
    const long length = kHeaderSize + dataSize;
    char* buffer = new (std::nothrow) char[static_cast<size_t>(length)];
    if (!buffer)
        return 0;
    writePresetHeader(buffer, store.uniqueID(), kKindPreset, 1 + n, 0, dataSize);
    writeProgram(store, buffer + kHeaderSize, programs[cur], 0);
    *out = buffer;
    return length;
}

long writeBank(PresetStore& store, char** out)
{
    if (!out)
        return 0;
    *out = nullptr;
    ProgramRecord* programs = store.programs();
    if (!programs)
        return 0;
    const int n = countCarried(store);
    const int32_t dataSize = kNumPrograms * (kNameBlockSize + kParamBlockSize * n);
    const long length = kHeaderSize + dataSize;
    char* buffer = new (std::nothrow) char[static_cast<size_t>(length)];
    if (!buffer)
        return 0;
    writePresetHeader(buffer, store.uniqueID(), kKindBank, kNumPrograms * (1 + n),
                static_cast<int32_t>(store.presetNo()), dataSize);
    char* p = buffer + kHeaderSize;
    for (int32_t i = 0; i < kNumPrograms; ++i)
        p = writeProgram(store, p, programs[i], i);
    *out = buffer;
    return length;
}

int readOldRecords(PresetStore& store, const OldRecords& records, ProgramRecord* into)
{
    if (!records.data)
        return 0;
    const int count = std::min(records.count, kNumPrograms);
    const int values = std::min(records.numValues, kNumProgramParams);
    int read = 0;
    for (; read < count; ++read) {
        const int64_t record = read * records.stride;
        if (record + kProgramNameSize > records.available)
            break;
        ProgramRecord& program = into[read];
        program = store.programTemplate();
        memcpy(program.name, records.data + record, kProgramNameSize);
        for (int j = 0; j < values; ++j) {
            if (store.isDummyOld(j))
                continue;
            const int64_t at = record + kProgramNameSize + 4 * static_cast<int64_t>(j);
            if (at + 4 > records.available)
                break;
            float value = getFloat(records.data + at, records.swapped);
            if (!normaliseValue(value))
                return -1;
            program.params[j] = value;
        }
    }
    return read;
}

ReadResult readPreset(PresetStore& store, const char* data, long available, const newpresetheader& header,
                      bool swapped)
{
    ProgramRecord* programs = store.programs();
    const long cur = store.presetNo();
    if (!programs || !isProgramIndex(cur) || header.numBlocks < 0)
        return ReadResult::Refused;
    ProgramRecord program = store.programTemplate();
    const bool complete = walkBlocks(data, available, header, swapped, programReadEnd,
                                     [&](int32_t type, int32_t, const char* block) {
        if (type == kBlockName)
            memcpy(program.name, block + kBlockHeaderSize, kProgramNameSize);
        else if (type == kBlockParam)
            return readParamBlock(block, swapped, program);
        return true;
    });
    if (!complete)
        return ReadResult::Refused;
    programs[cur] = program;
    forEachName(data, available, header, swapped,
                [&](int32_t, const Name& name) { store.showMenuEntry(static_cast<int>(cur), name.text); });
    finishPreset(store, cur);
    return ReadResult::Loaded;
}

ReadResult readBank(PresetStore& store, const char* data, long available, const newpresetheader& header,
                    bool swapped)
{
    ProgramRecord* programs = store.programs();
    if (!programs || header.numBlocks < 0)
        return ReadResult::Refused;
    const long sel = isProgramIndex(header.currentProgram) ? header.currentProgram : 0;
    StagedPrograms staged(programs);
    const bool complete = walkBlocks(data, available, header, swapped, programReadEnd,
                                     [&](int32_t type, int32_t program, const char* block) {
        if (!isProgramIndex(program))
            return true;
        if (type == kBlockName) {
            staged[program] = store.programTemplate();
            memcpy(staged[program].name, block + kBlockHeaderSize, kProgramNameSize);
        } else if (type == kBlockParam) {
            return readParamBlock(block, swapped, staged[program]);
        }
        return true;
    });
    if (!complete)
        return ReadResult::Refused;
    staged.commit();
    forEachName(data, available, header, swapped, [&](int32_t program, const Name& name) {
        if (isProgramIndex(program))
            store.showMenuEntry(program, name.text);
    });
    finishBank(store, sel);
    return ReadResult::Loaded;
}

ReadResult readPresetOld(PresetStore& store, const char* data, long available, bool swapped, int numParams)
{
    ProgramRecord* programs = store.programs();
    const long cur = store.presetNo();
    // Without a whole name there is no record to read.
    if (!programs || !isProgramIndex(cur) || !data || available < kProgramNameSize)
        return ReadResult::Refused;
    ProgramRecord program;
    if (readOldRecords(store, {data, available, swapped, 1, oldStride(numParams), numParams}, &program) != 1)
        return ReadResult::Refused;
    programs[cur] = program;
    finishPreset(store, cur);
    return ReadResult::Loaded;
}

ReadResult readBankOld(PresetStore& store, const char* data, long available, bool swapped, int numPrograms,
                       int numParams)
{
    ProgramRecord* programs = store.programs();
    if (!programs || !data || available < kProgramNameSize)
        return ReadResult::Refused;
    StagedPrograms staged(programs);
    const int read =
        readOldRecords(store, {data, available, swapped, numPrograms, oldStride(numParams), numParams}, staged.data());
    if (read < 0)
        return ReadResult::Refused;
    staged.commit();
    for (int i = 0; i < read; ++i)
        store.showMenuEntry(i, Name(programs[i].name).text);
    finishBank(store, 0);
    return ReadResult::Loaded;
}
