// Parameters, suspend and resume of the signal path, and the band updates
// handed from the parameter threads to the audio thread.
#include "engine/EqEngine.h"

#include "engine/Latency.h"

#include <cmath>

namespace {

constexpr auto rel = std::memory_order_relaxed;

// The host's rate as the engine takes it up: an unusable rate (zero,
// negative, NaN or infinite) counts as the default 44100 Hz.
double usableRate(double rate)
{
    return std::isfinite(rate) && rate > 0.0 ? rate : 44100.0;
}

}  // namespace

void EqEngine::setParameter(int index, float value)
{
    requestUpdate(decodeParameter(params, index, value));
}

void EqEngine::requestUpdate(BandUpdate update)
{
    if (update != BandUpdate::None)
        pendingUpdates.fetch_or(1u << static_cast<unsigned>(update), std::memory_order_release);
}

void EqEngine::applyPendingUpdates()
{
    unsigned pending = pendingUpdates.exchange(0, std::memory_order_acquire);
    for (int u = 1; u < kNumBandUpdates; ++u)
        if (pending & (1u << u))
            runUpdate(static_cast<BandUpdate>(u));
}

void EqEngine::runUpdate(BandUpdate update)
{
    offGlideKnown = false;
    switch (update) {
    case BandUpdate::LowCut:
        updateLowCut();
        break;
    case BandUpdate::LowShelf:
        updateLowShelf();
        break;
    case BandUpdate::LowMid:
        updateLowMid();
        break;
    case BandUpdate::Mid:
        updateMid();
        break;
    case BandUpdate::HighShelf:
        updateHighShelf();
        break;
    case BandUpdate::None:
        break;
    }
}

void EqEngine::runAllUpdates()
{
    pendingUpdates.store(0, rel);
    for (int u = 1; u < kNumBandUpdates; ++u)
        runUpdate(static_cast<BandUpdate>(u));
}

void EqEngine::forEachFilter(void (*fn)(Filter&, bool), bool arg)
{
    for (EqChannel& ch : channels)
        for (int i = 0; i < EqChannel::kFilterCount; ++i)
            fn(*ch.all(i), arg);
}

void EqEngine::suspend()
{
    // Jump mode: changes while suspended take effect at once.
    forEachFilter([](Filter& f, bool jump) { f.finishGlide(jump); }, true);
    forEachFilter([](Filter& f, bool) { f.reset(); }, false);
    outputGainCurrent = params.outputGainTarget.load(rel);
    outputPeak.store(0.0, rel);
    samplesIn = nonFiniteUntil = 0;
    offGlideKnown = false;
    suspendedOnce = true;
}

void EqEngine::resume(double hostRate)
{
    if (!suspendedOnce)
        suspend();
    const double rate = usableRate(hostRate);
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
}

int EqEngine::latencySamples() const
{
    return latencyOf(sat.length());
}

bool EqEngine::takeOutputPeakAtLeast(double level)
{
    double peak = outputPeak.load(rel);
    while (peak >= level)
        if (outputPeak.compare_exchange_weak(peak, 0.0, rel))
            return true;
    return false;
}
