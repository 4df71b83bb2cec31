// The equaliser effect: parameters, band design, oversampling, processing
// and lifecycle on top of the program store.
#pragma once

#include <atomic>

#include "engine/EqChannel.h"
#include "engine/Oversampler.h"
#include "engine/ParamState.h"
#include "engine/Parameters.h"
#include "engine/Saturator.h"
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

    void initPresets() override;
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
    virtual float getLatency1();
    virtual float getLatency2();
    virtual int compensate() { return 1; }

    // Read-outs for the editor and tests.
    const ParamState& paramState() const { return params; }
    bool stereoInput() const { return stereoIn.load(std::memory_order_relaxed); }
    bool stereoOutput() const { return stereoOut.load(std::memory_order_relaxed); }
    // Bit mask of band updates requested and not yet applied (1 << BandUpdate).
    unsigned pendingBandUpdates() const { return pendingUpdates.load(std::memory_order_relaxed); }
    // Largest absolute output sample of the last processing call, at most 4.
    double getOutputPeak() const { return outputPeak.load(std::memory_order_relaxed); }
    bool isOversampling() const { return oversampling; }
    double getInternalRate() const { return internalRate; }
    const Saturator& saturator() const { return sat; }
    // The filters of channel 0 (left) or 1 (right).
    const EqChannel& channel(int c) const { return channels[c]; }
    double getOutputGainCurrent() const { return outputGainCurrent; }
    // Applies parameter changes still waiting for the audio thread.
    void applyPendingUpdates();

    // The overload lamp's state, kept here so it outlives the window.
    // User-interface thread only: the editor's idle clears it after a
    // suspend.
    double getClipHold() const { return clipHold; }
    void setClipHold(double hold) { clipHold = hold; }
    // True, and the peak cleared, when the last block reached level.
    bool takeOutputPeakAtLeast(double level);
    // The lamp clicked off: peak and hold cleared.
    void resetClipState();

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
    void runUpdate(BandUpdate update);
    void runAllUpdates();

    // Shapes shared by two bands each.
    struct BellLaw {
        double base, power, companionWidth, gainScale, companionGain;
    };
    void updateShelfBand(int band, int shelfType, double cutFreqFactor);
    void updateBellBand(int band, const BellLaw& boost, const BellLaw& cut);
    void rateFilters(Filter* const* filters, int count);
    void forEachFilter(void (*fn)(Filter&, bool), bool arg);

    // One sub-block of at most kSubBlock host samples, in place in work[].
    template <bool Mono>
    void processSubBlock(int m);
    template <bool Mono, typename T>
    void processLoop(T** inputs, T** outputs, int sampleFrames);

    ADEditor* adEditor() const;

    static constexpr int kSubBlock = 16;

    ParamState params;
    std::atomic<unsigned> pendingUpdates{0};
    std::atomic<bool> stereoIn{true};
    std::atomic<bool> stereoOut{true};

    // Engine state; changed only by construction, suspend and resume.
    bool suspendedOnce = false;
    bool oversampling = true;
    double internalRate = 88200.0;
    double clipHold = 0.0;

    // Signal path state, owned by the audio thread between resumes.
    EqChannel channels[2];
    Upsampler upsamplers[2];
    Saturator sat;
    double outputGainCurrent = 1.0;
    std::atomic<double> outputPeak{0.0};
    alignas(64) double work[2][2 * kSubBlock] = {};
};
