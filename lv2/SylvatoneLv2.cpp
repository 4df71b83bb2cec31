// The LV2 edition: a thin adapter that connects ports to EqEngine. Control
// ports carry natural units; each run hands the changed ones to the engine
// as normalised values and then processes the block. A host that connects
// only the left pair of audio ports gets the mono path.
#include <lv2/core/lv2.h>

#include <cstdint>

#include "engine/EqEngine.h"
#include "engine/FactoryPresets.h"
#include "lv2/Ports.h"

namespace {

constexpr const char* kUri = "https://zym-audio.net/plugins/sylvatone";

struct Instance {
    EqEngine engine;
    double rate = 44100.0;
    const lv2ports::ControlPort* controls = nullptr;
    int numControls = 0;
    const float* audioIn[2] = {};
    float* audioOut[2] = {};
    float* latency = nullptr;
    const float* controlIn[lv2ports::kMaxControls] = {};
    float lastValue[lv2ports::kMaxControls] = {};
    bool sent[lv2ports::kMaxControls] = {};
    // Set by activate: the first run restarts the engine once the ports'
    // values are in, so they apply at once, as values a VST host sets before
    // resuming, instead of gliding from the defaults.
    bool starting = true;
};

LV2_Handle instantiate(const LV2_Descriptor*, double rate, const char*, const LV2_Feature* const*)
{
    auto* self = new Instance;
    self->rate = rate;
    self->controls = lv2ports::controlPorts(&self->numControls);
    // Every value starts as the Default program has it, so the values that
    // are no ports (placeholders, hidden ones) stay as the VST keeps them.
    const ProgramRecord& defaults = factoryPrograms()[0];
    for (int i = 0; i < kNumProgramParams; ++i)
        self->engine.setParameter(i, defaults.params[i]);
    self->engine.suspend();
    self->engine.resume(rate);
    return self;
}

void connectPort(LV2_Handle handle, uint32_t port, void* data)
{
    auto* self = static_cast<Instance*>(handle);
    switch (port) {
    case lv2ports::kInL:
    case lv2ports::kInR:
        self->audioIn[port - lv2ports::kInL] = static_cast<const float*>(data);
        return;
    case lv2ports::kOutL:
    case lv2ports::kOutR:
        self->audioOut[port - lv2ports::kOutL] = static_cast<float*>(data);
        return;
    case lv2ports::kLatency:
        self->latency = static_cast<float*>(data);
        return;
    default:
        break;
    }
    const uint32_t c = port - lv2ports::kFirstControl;
    if (c < static_cast<uint32_t>(self->numControls))
        self->controlIn[c] = static_cast<const float*>(data);
}

void activate(LV2_Handle handle)
{
    auto* self = static_cast<Instance*>(handle);
    self->engine.suspend();
    self->engine.resume(self->rate);
    self->starting = true;
}

void run(LV2_Handle handle, uint32_t frames)
{
    auto* self = static_cast<Instance*>(handle);
    for (int c = 0; c < self->numControls; ++c) {
        const float* port = self->controlIn[c];
        if (!port || (self->sent[c] && *port == self->lastValue[c]))
            continue;
        self->lastValue[c] = *port;
        self->sent[c] = true;
        const lv2ports::ControlPort& control = self->controls[c];
        self->engine.setParameter(control.param, lv2ports::toNormalised(control, *port));
    }
    if (self->starting) {
        self->engine.suspend();
        self->engine.resume(self->rate);
        self->starting = false;
    }
    if (self->latency)
        *self->latency = static_cast<float>(self->engine.latencySamples());

    const float* inL = self->audioIn[0];
    const float* inR = self->audioIn[1];
    float* outL = self->audioOut[0];
    float* outR = self->audioOut[1];
    if (!inL || !outL || frames == 0)
        return;
    const int n = static_cast<int>(frames);
    if (inR && outR)
        self->engine.processStereo(inL, inR, outL, outR, n);
    else
        self->engine.processMono(inL, outL, inR ? nullptr : outR, n);
}

void cleanup(LV2_Handle handle)
{
    delete static_cast<Instance*>(handle);
}

const LV2_Descriptor kDescriptor = {kUri, instantiate, connectPort, activate, run, nullptr,
                                    cleanup, nullptr};

}  // namespace

extern "C" LV2_SYMBOL_EXPORT const LV2_Descriptor* lv2_descriptor(uint32_t index)
{
    return index == 0 ? &kDescriptor : nullptr;
}
