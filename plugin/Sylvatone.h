// The equaliser as a VST 2.4 effect: the host's parameter, processing and
// lifecycle entries on top of the program store, running the signal path of
// EqEngine. An attached editor is told about changes through
// EffectObserver; the effect knows nothing else of it.
#pragma once

#include <atomic>

#include "engine/EqEngine.h"
#include "plugin/EffectObserver.h"
#include "plugin/SpectrumTap.h"
#include "presets/CPresetSystemEffect.h"

class Sylvatone : public CPresetSystemEffect {
public:
    explicit Sylvatone(audioMasterCallback audioMaster);
    ~Sylvatone() override;

    // The editor to tell about changes (null: none). Set before the host
    // gets the effect; the observer lives as long as the effect.
    void setObserver(EffectObserver* o) { observer.store(o, std::memory_order_release); }

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
    bool canParameterBeAutomated(int32_t index) override;
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

    bool holdsAcrossPrograms(int index) override;

    // Engine operations.
    virtual void processLoopFast(float** inputs, float** outputs, int sampleFrames);
    virtual void processLoopFastMono(float** inputs, float** outputs, int sampleFrames);
    virtual void processLoopFastDouble(double** inputs, double** outputs, int sampleFrames);
    virtual void processLoopFastDoubleMono(double** inputs, double** outputs, int sampleFrames);
    virtual void resetAll();
    virtual float getVu() { return 0.0f; }
    // The interpolation taps are computed by each Upsampler as it is built.
    virtual void initUpsDec() {}
    // Latency in milliseconds at the host's rate, and in host samples.
    virtual float getLatency1();
    virtual float getLatency2();
    virtual int compensate() { return 1; }

    // Read-outs for the editor and tests.
    const EqEngine& signalPath() const { return engine; }
    const ParamState& paramState() const { return engine.paramState(); }
    bool stereoInput() const { return stereoIn.load(std::memory_order_relaxed); }
    bool stereoOutput() const { return stereoOut.load(std::memory_order_relaxed); }
    double getOutputPeak() const { return engine.getOutputPeak(); }
    const EqChannel& channel(int c) const { return engine.channel(c); }
    double getInternalRate() const { return engine.getInternalRate(); }
    // The audio a window shows the spectrum of.
    SpectrumTap& spectrumTap() { return tap; }
    // Applies parameter changes still waiting for the audio thread.
    void applyPendingUpdates() { engine.applyPendingUpdates(); }

    // The overload lamp's state, kept here so it outlives the window.
    // User-interface thread only: the editor's idle clears it after a
    // suspend.
    double getClipHold() const { return clipHold; }
    void setClipHold(double hold) { clipHold = hold; }
    // True, and the peak cleared, when the last block reached level.
    bool takeOutputPeakAtLeast(double level) { return engine.takeOutputPeakAtLeast(level); }
    // The lamp clicked off: peak and hold cleared.
    void resetClipState();

private:
    template <bool Mono, typename T>
    void processLoop(T** inputs, T** outputs, int sampleFrames);
    void notifyLatency();

    EqEngine engine;
    SpectrumTap tap;
    std::atomic<EffectObserver*> observer{nullptr};
    std::atomic<bool> stereoIn{true};
    std::atomic<bool> stereoOut{true};
    double clipHold = 0.0;
};
