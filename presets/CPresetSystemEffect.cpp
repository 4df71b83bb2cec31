#include "presets/CPresetSystemEffect.h"

#include <cstring>

#include "presets/PresetFiles.h"
#include "presets/StateChunk.h"

// The store as the buffer, chunk and file operations see it.
class CPresetSystemEffect::Store : public PresetStore {
public:
    explicit Store(CPresetSystemEffect& effect) : fx(effect) {}

    int32_t uniqueID() override { return fx.getUniqueID(); }
    long presetNo() override { return fx.getPresetNo(); }
    ProgramRecord* programs() override { return fx.committedPrograms(); }
    bool isDummy(int index) override { return fx.isDummy(index); }
    bool isDummyOld(int index) override { return fx.isDummyOld(index); }
    const ProgramRecord& programTemplate() override { return fx.templateProgram; }
    void setPresetName(const char* name) override { fx.setPresetName(name); }
    void setPresetNo(long n) override { fx.setPresetNo(n); }
    void showMenuEntry(int entry, const char* name) override
    {
        if (fx.view)
            fx.view->showMenuEntry(entry, name);
    }
    void selectMenuEntry(int entry) override
    {
        if (fx.view)
            fx.view->selectMenuEntry(entry);
    }
    void showName(const char* name) override
    {
        if (fx.view)
            fx.view->showName(name);
    }

private:
    CPresetSystemEffect& fx;
};

CPresetSystemEffect::CPresetSystemEffect(audioMasterCallback audioMaster, const ProgramRecord* factoryPrograms)
    : AudioEffectX(audioMaster, 1, kNumProgramParams),
      oldChunkBuffer(kOldChunkBufferSize),
      chunkBuffer(kChunkBufferSize),
      factory(factoryPrograms),
      store(new Store(*this))
{
    programsAreChunks(true);
    curProgram = 0;
    CPresetSystemEffect::initPresets();
    templateProgram = programs[0];
}

CPresetSystemEffect::~CPresetSystemEffect()
{
    view = nullptr;
}

PresetStore& CPresetSystemEffect::presetStore()
{
    return *store;
}

void CPresetSystemEffect::storeName(ProgramRecord& record, const char* name)
{
    memset(record.name, 0, sizeof record.name);
    if (name)
        memcpy(record.name, name, strnlen(name, kProgramNameSize - 1));
}

void CPresetSystemEffect::initPresets()
{
    if (!factory)
        return;
    for (int i = 0; i < kNumPrograms; ++i) {
        storeName(programs[i], factory[i].name);
        memcpy(programs[i].params, factory[i].params, sizeof programs[i].params);
    }
}

void CPresetSystemEffect::loadDefaults()
{
    templateProgram = programs[0];
    const Preferences preferences;
    ::loadDefaults(*store, preferences);
}

void CPresetSystemEffect::initializePreset(long i)
{
    if (i >= 0 && i < kNumPrograms)
        programs[static_cast<size_t>(i)] = templateProgram;
}

void CPresetSystemEffect::setParameter(int32_t index, float value)
{
    if (index >= 0 && index < kNumProgramParams)
        programs[static_cast<size_t>(currentPreset)].params[index] = value;
}

float CPresetSystemEffect::getParameter(int32_t index)
{
    if (index >= 0 && index < kNumProgramParams)
        return programs[static_cast<size_t>(currentPreset)].params[index];
    return -1.0f;
}

void CPresetSystemEffect::markLiveChanged(int index)
{
    if (index >= 0 && index < kNumProgramParams)
        liveChanged.fetch_or(uint64_t(1) << index, std::memory_order_release);
}

void CPresetSystemEffect::commitLiveValues()
{
    uint64_t changed = liveChanged.exchange(0, std::memory_order_acquire);
    for (int i = 0; changed != 0; ++i, changed >>= 1) {
        if (!(changed & 1))
            continue;
        const float value = getParameter(i);
        if (holdsAcrossPrograms(i))
            for (ProgramRecord& p : programs)
                p.params[i] = value;
        else
            programs[static_cast<size_t>(currentPreset)].params[i] = value;
    }
}

ProgramRecord* CPresetSystemEffect::committedPrograms()
{
    commitLiveValues();
    return programs.data();
}

const ProgramRecord& CPresetSystemEffect::program(int i)
{
    return committedPrograms()[i];
}

void CPresetSystemEffect::setPresetNo(long n)
{
    // Only the six programs exist; any other number is ignored.
    if (n < 0 || n >= kNumPrograms)
        return;
    // The program left behind keeps the changes made to it.
    commitLiveValues();
    loadingPreset = true;
    curProgram = 0;
    currentPreset = n;
    for (int i = 0; i < kNumProgramParams; ++i)
        setParameter(i, programs[static_cast<size_t>(n)].params[i]);
    updateDisplay();
    beginEdit(0);
    endEdit(0);
    loadingPreset = false;
}

void CPresetSystemEffect::setProgramName(char* name)
{
    char cut[kProgramNameSize + 1] = {};
    if (name)
        memcpy(cut, name, strnlen(name, kProgramNameSize));
    storeName(programs[static_cast<size_t>(currentPreset)], cut);
    if (view)
        view->nameChangedExternal(cut);
}

void CPresetSystemEffect::setPresetName(const char* name)
{
    curProgram = 0;
    if (name)
        storeName(programs[static_cast<size_t>(currentPreset)], name);
    updateDisplay();
}

// Names may fill all 24 bytes when read from stored data, so every reader
// copies the 24 bytes and terminates them.
void CPresetSystemEffect::getProgramName(char* text)
{
    memcpy(text, programs[static_cast<size_t>(currentPreset)].name, kProgramNameSize);
    text[kProgramNameSize] = 0;
}

bool CPresetSystemEffect::getProgramNameIndexed(int32_t /*category*/, int32_t index, char* text)
{
    if (index < 0 || index >= kNumPrograms)
        return false;
    memcpy(text, programs[static_cast<size_t>(index)].name, kProgramNameSize);
    text[kProgramNameSize] = 0;
    return true;
}

int32_t CPresetSystemEffect::processEvents(VstEvents* /*events*/)
{
    return 0;
}

// The state chunk: an 8-byte header and the bank of all six programs.
int32_t CPresetSystemEffect::getChunk(void** data, bool /*isPreset*/)
{
    if (chunkBuffer.empty())
        return 0;
    return writeStateChunk(*store, chunkBuffer.data(), chunkBufferSize, data);
}

int32_t CPresetSystemEffect::setChunk(void* data, int32_t byteSize, bool /*isPreset*/)
{
    if (chunkBuffer.empty() || oldChunkBuffer.empty())
        return -1;
    return readStateChunk(*store, data, byteSize, oldChunkBuffer.data());
}
