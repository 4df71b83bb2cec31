// Suspend, resume, latency and the band updates of the effect.
#include "editor/ADEditor.h"
#include "engine/Saturator.h"
#include "engine/Sylvatone.h"

void Sylvatone::suspend()
{
    if (adEditor())
        adEditor()->internalSampleRateChanged();
    suspendedOnce = true;
}

void Sylvatone::resume()
{
    if (!suspendedOnce)
        suspend();
    pendingUpdates.store(0, std::memory_order_relaxed);
    for (int u = 1; u < kNumBandUpdates; ++u)
        runUpdate(static_cast<BandUpdate>(u));
    updateBlockSize();
    getOutputLatency();
    setInitialDelay(static_cast<int32_t>(getLatency2()));
    if (adEditor()) {
        adEditor()->internalSampleRateChanged();
        adEditor()->resume();
    }
}

float Sylvatone::getLatency2()
{
    return latencyFor(getSampleRate());
}

float Sylvatone::getLatency1()
{
    return latencyMs(getSampleRate());
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

void Sylvatone::updateLowCut() {}
void Sylvatone::updateLowShelf() {}
void Sylvatone::updateLowMid() {}
void Sylvatone::updateMid() {}
void Sylvatone::updateHighShelf() {}
