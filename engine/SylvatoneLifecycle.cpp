// Suspend, resume and latency of the effect. Hosts never process while
// these run, so they may reset what the audio thread otherwise owns.
#include <cmath>

#include "editor/ADEditor.h"
#include "engine/Sylvatone.h"

namespace {

// The host's rate as the engine takes it up: an unusable rate (zero,
// negative, NaN or infinite) counts as the default 44100 Hz.
double usableRate(float rate)
{
    return std::isfinite(rate) && rate > 0.0f ? static_cast<double>(rate) : 44100.0;
}

}  // namespace

void Sylvatone::forEachFilter(void (*fn)(Filter&, bool), bool arg)
{
    for (EqChannel& ch : channels)
        for (int i = 0; i < EqChannel::kFilterCount; ++i)
            fn(*ch.all(i), arg);
}

void Sylvatone::runAllUpdates()
{
    pendingUpdates.store(0, std::memory_order_relaxed);
    for (int u = 1; u < kNumBandUpdates; ++u)
        runUpdate(static_cast<BandUpdate>(u));
}

void Sylvatone::suspend()
{
    // Jump mode: changes while suspended take effect at once.
    forEachFilter([](Filter& f, bool jump) { f.finishGlide(jump); }, true);
    forEachFilter([](Filter& f, bool) { f.reset(); }, false);
    outputGainCurrent = params.outputGainTarget.load(std::memory_order_relaxed);
    outputPeak.store(0.0, std::memory_order_relaxed);
    if (adEditor())
        adEditor()->internalSampleRateChanged();
    suspendedOnce = true;
}

void Sylvatone::resume()
{
    if (!suspendedOnce)
        suspend();
    const double rate = usableRate(getSampleRate());
    oversampling = oversamplingFor(rate);
    internalRate = internalRateFor(rate);

    // First with jump mode on, so every filter takes its rate and response at
    // once; then again gliding, which leaves the same settings in glide mode.
    runAllUpdates();
    forEachFilter([](Filter& f, bool jump) { f.finishGlide(jump); }, false);
    runAllUpdates();

    sat.configure(rate);
    for (Upsampler& u : upsamplers)
        u.clear();

    getOutputLatency();
    updateBlockSize();
    setInitialDelay(static_cast<int32_t>(getLatency2()));
    if (adEditor()) {
        adEditor()->internalSampleRateChanged();
        adEditor()->resume();
    }
}

// The latency of the stage as configured by the last resume: the 32 samples
// of the upsampler (or its delay) and the saturation look-ahead.
float Sylvatone::getLatency2()
{
    return static_cast<float>(sat.latencySamples() + Upsampler::kDelay);
}

float Sylvatone::getLatency1()
{
    double rate = getSampleRate();
    if (!(rate >= 20000.0 && rate <= 200000.0))
        rate = 44100.0;
    return getLatency2() * 1000 / static_cast<float>(rate);
}

void Sylvatone::resetAll()
{
    static const int kIndexes[] = {kParamHpfFreq, kParamLfFreq, kParamLfGain, kParamLmfFreq, 35,
                                   kParamLmfGain, kParamHmfFreq, 34, kParamHmfGain, kParamHfFreq,
                                   36, kParamHfGain, 39};
    for (int index : kIndexes) {
        float value = index == kParamHpfFreq ? 0.0f : index == 39 ? 1.0f : 0.5f;
        setParameter(index, value);
    }
    suspend();
    resume();
}

bool Sylvatone::takeOutputPeakAtLeast(double level)
{
    double peak = outputPeak.load(std::memory_order_relaxed);
    while (peak >= level)
        if (outputPeak.compare_exchange_weak(peak, 0.0, std::memory_order_relaxed))
            return true;
    return false;
}

void Sylvatone::resetClipState()
{
    outputPeak.store(0.0, std::memory_order_relaxed);
    clipHold = 0.0;
}
