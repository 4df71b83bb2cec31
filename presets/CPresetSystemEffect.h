// The program store between the VST layers and the equaliser: six programs
// of a name and 42 values each, the selected one, renaming, the state chunk
// and the user's stored defaults. The host sees a single program whose name
// is the selected program's. The store answers chunks and files itself; a
// window only shows and drives it, through ProgramStoreView.
#pragma once

#include <array>
#include <atomic>
#include <memory>
#include <vector>

#include "engine/ProgramRecord.h"
#include "presets/ProgramStoreView.h"
#include "shell/AudioEffectX.h"

class PresetStore;

// Size of the largest chunk: an 8-byte header and a bank buffer of six
// programs with every parameter carried.
constexpr int kChunkBufferSize = 8 + 41 + kNumPrograms * 168 + kNumPrograms * kNumProgramParams * 32;
constexpr int kOldChunkBufferSize = 32 + kNumPrograms * 192;

class CPresetSystemEffect : public AudioEffectX {
public:
    // factory: the six programs the store starts from.
    CPresetSystemEffect(audioMasterCallback audioMaster, const ProgramRecord* factory);
    ~CPresetSystemEffect() override;

    void resume() override {}
    void setParameter(int32_t index, float value) override;
    float getParameter(int32_t index) override;
    int32_t getProgram() override { return 0; }
    void setProgram(int32_t /*program*/) override {}
    void setProgramName(char* name) override;
    void getProgramName(char* text) override;
    int32_t getChunk(void** data, bool isPreset) override;
    int32_t setChunk(void* data, int32_t byteSize, bool isPreset) override;
    bool getProgramNameIndexed(int32_t category, int32_t index, char* text) override;
    int32_t processEvents(VstEvents* events) override;
    int32_t canDo(char* /*text*/) override { return 0; }

    virtual long getPresetNo() { return static_cast<long>(currentPreset); }
    virtual void setPresetNo(long n);
    virtual void setPresetName(const char* name);

    // Controller assignment hooks; inert in this plug-in.
    virtual void attachMidi(int /*cc*/, int /*param*/) {}
    virtual void detachMidiParam(int /*param*/) {}
    virtual void detachMidiCC(int /*cc*/) {}
    virtual int getMidiCC(int /*param*/) { return 0; }
    virtual int getMidiParam(int /*cc*/) { return 0; }
    virtual bool getMidiActivity() { return false; }
    virtual void beginLearn() {}
    virtual void endLearn() {}
    virtual void setLearnParam(int /*param*/) {}
    virtual void beginCancel() {}
    virtual void endCancel() {}

    virtual int getUniqueID() { return cEffect.uniqueID; }
    virtual void initializePreset(long i);
    virtual bool isDummy(int index) = 0;
    virtual bool isDummyOld(int index) = 0;
    virtual void loadDefaults();
    virtual void initPresets();
    virtual void initMidi() {}

    // Program i with the selected program's latest values (user-interface thread).
    const ProgramRecord& program(int i);
    bool isLoadingPreset() const { return loadingPreset; }

    // The programs as the buffer, chunk and file operations see them; window
    // refreshes go to the attached view (user-interface thread).
    PresetStore& presetStore();
    // The window that shows the store; null detaches it. It must stay
    // attached no longer than it lives.
    void setView(ProgramStoreView* window) { view = window; }

protected:
    // Stores a name cut to 23 characters, NUL-padded.
    void storeName(ProgramRecord& record, const char* name);

    // The selected program's values live in the effect (getParameter), where
    // any thread may change them; the programs belong to the user-interface
    // thread. A change only marks its index (any thread, lock-free); the
    // user-interface thread copies the marked values into the programs
    // before it reads, saves or switches them.
    void markLiveChanged(int index);
    void commitLiveValues();
    ProgramRecord* committedPrograms();
    // True for a parameter that holds one value across all six programs.
    virtual bool holdsAcrossPrograms(int /*index*/) { return false; }

    std::array<ProgramRecord, kNumPrograms> programs{};
    int64_t currentPreset = 0;
    std::vector<unsigned char> oldChunkBuffer;
    std::vector<unsigned char> chunkBuffer;
    int32_t chunkBufferSize = kChunkBufferSize;
    ProgramRecord templateProgram{};
    bool loadingPreset = false;
    std::atomic<uint64_t> liveChanged{0};  // bit i: value i changed since the last commit

private:
    class Store;

    const ProgramRecord* factory;
    ProgramStoreView* view = nullptr;
    std::unique_ptr<Store> store;
};
