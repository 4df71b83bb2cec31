// What the effect tells an attached editor. The effect knows nothing else
// of its window: whatever implements this is told about changes and reads
// what it shows through the effect's parameter interface.
#pragma once

#include <cstdint>

class EffectObserver {
public:
    virtual ~EffectObserver() = default;
    // Any thread (automation, audio, the program store): hand the value over,
    // never touch the window here.
    virtual void parameterChanged(int32_t index, float value) = 0;
    // The thread of the host's suspend and resume: the latency may differ.
    virtual void latencyChanged() = 0;
};
