// Suspend, resume and latency of the effect. Hosts never process while
// these run, so the engine may reset what the audio thread otherwise owns.
#include "engine/Latency.h"
#include "plugin/Sylvatone.h"

void Sylvatone::notifyLatency()
{
    if (EffectObserver* o = observer.load(std::memory_order_acquire))
        o->latencyChanged();
}

void Sylvatone::suspend()
{
    engine.suspend();
    notifyLatency();
}

void Sylvatone::resume()
{
    engine.resume(getSampleRate());
    getOutputLatency();
    updateBlockSize();
    setInitialDelay(static_cast<int32_t>(getLatency2()));
    notifyLatency();
}

float Sylvatone::getLatency2()
{
    return static_cast<float>(engine.latencySamples());
}

float Sylvatone::getLatency1()
{
    return latencyMs(getLatency2(), getSampleRate());
}

// Every band at its neutral setting (gains 0 dB, frequencies in the middle
// of their tables, the low cut at its lowest) and the hidden values that
// belong to them, then a fresh start.
void Sylvatone::resetAll()
{
    static const struct {
        int index;
        float value;
    } kNeutral[] = {{kParamHpfFreq, 0.0f},   {kParamLfFreq, 0.5f},  {kParamLfGain, 0.5f},
                    {kParamLmfFreq, 0.5f},   {kParamHiddenLmf, 0.5f}, {kParamLmfGain, 0.5f},
                    {kParamHmfFreq, 0.5f},   {kParamHiddenHmf, 0.5f}, {kParamHmfGain, 0.5f},
                    {kParamHfFreq, 0.5f},    {kParamHiddenHf, 0.5f},  {kParamHfGain, 0.5f},
                    {kParamHiddenOn, 1.0f}};
    for (const auto& n : kNeutral)
        setParameter(n.index, n.value);
    suspend();
    resume();
}

void Sylvatone::resetClipState()
{
    engine.clearOutputPeak();
    clipHold = 0.0;
}
