// The equaliser effect: parameters, band design, oversampling, processing
// and lifecycle on top of the program store.
#pragma once

#include <atomic>

#include "engine/ParamState.h"
#include "engine/Parameters.h"
#include "presets/CPresetSystemEffect.h"

class ADEditor;

class Sylvatone : public CPresetSystemEffect {
public:
    explicit Sylvatone(audioMasterCallback audioMaster);
    ~Sylvatone() override;

    // Lifecycle.
    void suspend() override;
    void resume() override;

    // Processing (audio thread).
    void processReplacing(float** inputs, float** outputs, int32_t sampleFrames) override;
    void processDoubleReplacing(double** inputs, double** outputs, int32_t sampleFrames) override;

    // Parameters.
    void setParameter(int32_t index, float value) override;
    float getParameter(int32_t index) override;
    void getParameterLabel(int32_t index, char* label) override;
    void getParameterDisplay(int32_t index, char* text) override;
    void getParameterName(int32_t index, char* text) override;
    bool getParameterProperties(int32_t index, VstParameterProperties* p) override;
    bool isDummy(int index) override;
    bool isDummyOld(int index) override;
    float getParameterValue(long index);

    // Identity and I/O.
    bool getInputProperties(int32_t index, VstPinProperties* props) override;
    bool getOutputProperties(int32_t index, VstPinProperties* props) override;
    bool setSpeakerArrangement(VstSpeakerArrangement* input, VstSpeakerArrangement* output) override;
    int32_t getGetTailSize() override { return 1024; }
    bool getEffectName(char* name) override;
    bool getVendorString(char* text) override;
    bool getProductString(char* text) override;
    int32_t getVendorVersion() override { return 1800; }
    int32_t canDo(char* text) override;
    VstPlugCategory getPlugCategory() override { return kPlugCategMastering; }

    void initPresets() override;

    // Engine operations.
    virtual void processLoopFast(float** inputs, float** outputs, int sampleFrames);
    virtual void processLoopFastMono(float** inputs, float** outputs, int sampleFrames);
    virtual void processLoopFastDouble(double** inputs, double** outputs, int sampleFrames);
    virtual void processLoopFastDoubleMono(double** inputs, double** outputs, int sampleFrames);
    virtual void resetAll();
    virtual float getVu() { return 0.0f; }
    virtual void initUpsDec() {}
    virtual float getLatency1();
    virtual float getLatency2();
    virtual int compensate() { return 1; }

    // Read-outs for the editor and tests.
    const ParamState& paramState() const { return params; }
    bool stereoInput() const { return stereoIn.load(std::memory_order_relaxed); }
    bool stereoOutput() const { return stereoOut.load(std::memory_order_relaxed); }
    // Bit mask of band updates requested and not yet applied (1 << BandUpdate).
    unsigned pendingBandUpdates() const { return pendingUpdates.load(std::memory_order_relaxed); }

protected:
    // The five band updates; each recomputes its group of filters.
    void updateLowCut();
    void updateLowShelf();
    void updateLowMid();
    void updateMid();
    void updateHighShelf();

    // Parameter changes only mark their band; the audio thread applies the
    // marked updates before it filters, so filters are touched by one thread.
    void requestUpdate(BandUpdate update);
    void applyPendingUpdates();
    void runUpdate(BandUpdate update);

    ADEditor* adEditor() const;

    ParamState params;
    std::atomic<unsigned> pendingUpdates{0};
    std::atomic<bool> stereoIn{true};
    std::atomic<bool> stereoOut{true};
    bool suspendedOnce = false;
};
