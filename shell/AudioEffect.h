// The generic VST 2.4 effect layer: owns the AEffect record handed to the
// host, turns the dispatcher opcodes 0 to 24 into virtual calls and wraps the
// host callback. AudioEffectX adds the opcodes from 25 on.
#pragma once

#include "shell/vst2.h"

class AEffEditor;

class AudioEffect {
public:
    AudioEffect(audioMasterCallback audioMaster, int32_t numPrograms, int32_t numParams);
    virtual ~AudioEffect();

    AudioEffect(const AudioEffect&) = delete;
    AudioEffect& operator=(const AudioEffect&) = delete;

    virtual intptr_t dispatcher(int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt);

    virtual void open() {}
    virtual void close() {}
    virtual void suspend() {}
    virtual void resume() {}
    virtual void setSampleRate(float rate) { sampleRate = rate; }
    virtual void setBlockSize(int32_t size) { blockSize = size; }

    virtual void processReplacing(float** inputs, float** outputs, int32_t sampleFrames);
    virtual void processDoubleReplacing(double** inputs, double** outputs, int32_t sampleFrames);

    virtual void setParameter(int32_t /*index*/, float /*value*/) {}
    virtual float getParameter(int32_t /*index*/) { return 0.0f; }
    // Sets the parameter in the effect, then reports it to the host.
    virtual void setParameterAutomated(int32_t index, float value);

    virtual int32_t getProgram() { return curProgram; }
    virtual void setProgram(int32_t program) { curProgram = program; }
    virtual void setProgramName(char* /*name*/) {}
    virtual void getProgramName(char* name) { name[0] = 0; }
    virtual void getParameterLabel(int32_t /*index*/, char* label) { label[0] = 0; }
    virtual void getParameterDisplay(int32_t /*index*/, char* text) { text[0] = 0; }
    virtual void getParameterName(int32_t /*index*/, char* text) { text[0] = 0; }
    virtual int32_t getChunk(void** /*data*/, bool /*isPreset*/) { return 0; }
    virtual int32_t setChunk(void* /*data*/, int32_t /*byteSize*/, bool /*isPreset*/) { return 0; }

    // Host callback wrappers. Without a host each returns its fallback.
    virtual void beginEdit(int32_t index);
    virtual void endEdit(int32_t index);
    bool isParameterIndex(int32_t index) const;
    virtual bool updateDisplay();
    int32_t updateBlockSize();
    intptr_t getOutputLatency();
    bool isInputConnected(int32_t input);
    bool isOutputConnected(int32_t output);
    intptr_t getMasterVersion();

    AEffect* getAeffect() { return &cEffect; }
    const AEffect* getAeffect() const { return &cEffect; }
    AEffEditor* getEditor() const { return editor; }
    float getSampleRate() const { return sampleRate; }
    int32_t getBlockSize() const { return blockSize; }
    int32_t getNumParams() const { return numParams; }

    // Record setup used by derived constructors.
    void setEditor(AEffEditor* newEditor);
    void setUniqueID(int32_t id) { cEffect.uniqueID = id; }
    void setNumInputs(int32_t count) { cEffect.numInputs = count; }
    void setNumOutputs(int32_t count) { cEffect.numOutputs = count; }
    void setInitialDelay(int32_t delay) { cEffect.initialDelay = delay; }
    void canProcessReplacing(bool state = true) { setFlag(effFlagsCanReplacing, state); }
    void canDoubleReplacing(bool state = true) { setFlag(effFlagsCanDoubleReplacing, state); }
    void programsAreChunks(bool state = true) { setFlag(effFlagsProgramChunks, state); }

protected:
    intptr_t callHost(int32_t opcode, int32_t index = 0, intptr_t value = 0, void* ptr = nullptr,
                      float opt = 0.0f);
    void setFlag(int32_t flag, bool state);

    audioMasterCallback audioMaster;
    AEffEditor* editor = nullptr;  // owned
    float sampleRate = 44100.0f;
    int32_t blockSize = 1024;
    int32_t numPrograms;
    int32_t numParams;
    int32_t curProgram = 0;
    AEffect cEffect;
};

// Copies text into a host buffer of capacity bytes, always terminated.
void vstCopyString(char* dest, const char* source, int capacity);

// Implemented by the plug-in: builds one effect for the host (null to refuse).
AudioEffect* createEffectInstance(audioMasterCallback audioMaster);
