// The equaliser's whole signal path, free of any plug-in format: the
// decoded parameters, both channels' filters and their band design,
// oversampling, the output gain and the saturation stage, processed in
// sub-blocks of 16 host samples at 64 bits (up to 256 while the output gain
// stands at its target, which gives the same numbers).
//
// Threads: setParameter from any thread (it only decodes into atomics and
// marks the band to recompute); suspend and resume while no audio runs; the
// process calls on the audio thread, which applies the marked band updates
// at the start of each sub-block, so only it touches the filters. Nothing
// here allocates after construction or takes a lock.
#pragma once

#include <atomic>
#include <cstdint>

#include "engine/EqChannel.h"
#include "engine/Oversampler.h"
#include "engine/ParamState.h"
#include "engine/Parameters.h"
#include "engine/Saturator.h"
#include "engine/StereoChain.h"

class EqEngine {
public:
    static constexpr int kSubBlock = 16;
    static constexpr int kLongSubBlock = 256;

    // Decodes a normalised value (finite, 0 to 1) for a parameter index and
    // marks its band. Indexes outside 0..41 and non-finite values are ignored.
    void setParameter(int index, float value);
    const ParamState& paramState() const { return params; }

    // Filters to jump mode, histories and delay lines cleared, the output
    // gain at its target.
    void suspend();
    // Takes up the host's rate (an unusable one counts as 44100 Hz): the
    // oversampling, every filter's rate and response, the saturation window.
    void resume(double hostRate);
    // Host samples between input and output, as configured by the last resume.
    int latencySamples() const;

    // Audio thread. Stereo: both channels equalised as the channel selection
    // says. Mono: the left channel's filters only; its output goes to outL
    // and, when given, to outR. Inputs may equal outputs.
    template <typename T>
    void processStereo(const T* inL, const T* inR, T* outL, T* outR, int frames);
    template <typename T>
    void processMono(const T* in, T* outL, T* outR, int frames);

    // Applies the band updates still waiting for the audio thread.
    void applyPendingUpdates();
    // Bit mask of band updates requested and not yet applied (1 << BandUpdate).
    unsigned pendingBandUpdates() const { return pendingUpdates.load(std::memory_order_relaxed); }

    // Largest absolute output sample of the last processing call, at most 4.
    double getOutputPeak() const { return outputPeak.load(std::memory_order_relaxed); }
    // True, and the peak cleared, when the last block reached level.
    bool takeOutputPeakAtLeast(double level);
    void clearOutputPeak() { outputPeak.store(0.0, std::memory_order_relaxed); }

    bool isOversampling() const { return oversampling; }
    double getInternalRate() const { return internalRate; }
    const Saturator& saturator() const { return sat; }
    // The filters of channel 0 (left) or 1 (right).
    const EqChannel& channel(int c) const { return channels[c]; }
    double getOutputGainCurrent() const { return outputGainCurrent; }

private:
    // The band design: each recomputes its group of filters from the
    // decoded parameters.
    void updateLowCut();
    void updateLowShelf();
    void updateLowMid();
    void updateMid();
    void updateHighShelf();

    // Shapes shared by two bands each.
    struct BellLaw {
        double base, power, companionWidth, gainScale, companionGain;
    };
    void updateShelfBand(int band, int shelfType, double cutFreqFactor);
    void updateBellBand(int band, const BellLaw& boost, const BellLaw& cut);
    void rateFilters(Filter* const* filters, int count);
    void forEachFilter(void (*fn)(Filter&, bool), bool arg);

    void requestUpdate(BandUpdate update);
    void runUpdate(BandUpdate update);
    void runAllUpdates();

    template <bool Mono, typename T>
    void processLoop(const T* inL, const T* inR, T* outL, T* outR, int frames);
    // Applies waiting band updates and moves the output gain on for the next
    // sub-block of at most `left` host samples; returns its length.
    int startSubBlock(int left);
    int longSubBlock(int left);
    // One sub-block of m host samples, in place in work[]; nonFinite when a
    // NaN or infinity may reach the filters in it.
    template <bool Mono>
    void processSubBlock(int m, bool nonFinite);
    template <bool Mono>
    void runFilters(int from, int n);

    ParamState params;
    std::atomic<unsigned> pendingUpdates{0};

    // Changed only by suspend and resume.
    bool suspendedOnce = false;
    bool oversampling = true;
    double internalRate = 88200.0;

    // Signal path state, owned by the audio thread between resumes.
    EqChannel channels[2];
    StereoChain stereoChain;
    Upsampler upsamplers[2];
    Saturator sat;
    double outputGainCurrent = 1.0;
    // Host samples read since the last suspend, and up to where a NaN or
    // infinity read may still reach the filters.
    std::uint64_t samplesIn = 0, nonFiniteUntil = 0;
    // Where, in internal samples counted from the same start, the first
    // glide to off ends, while offGlideKnown (see longSubBlock).
    static constexpr std::uint64_t kNoOffGlide = ~std::uint64_t{0};
    std::uint64_t offGlideEnd = kNoOffGlide;
    bool offGlideKnown = false;
    std::atomic<double> outputPeak{0.0};
    alignas(64) double work[2][2 * kLongSubBlock] = {};
};
