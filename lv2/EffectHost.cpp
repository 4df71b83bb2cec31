#include "lv2/EffectHost.h"

#include "plugin/Sylvatone.h"

AudioEffect* createEffectInstance(audioMasterCallback audioMaster);

EffectHost::EffectHost(double hostRate) : rate(hostRate)
{
    controls = lv2ports::controlPorts(&numControls);
    for (int& p : portOfParam)
        p = -1;
    for (int c = 0; c < numControls; ++c)
        portOfParam[controls[c].param] = c;

    effect = static_cast<Sylvatone*>(createEffectInstance(&EffectHost::callback));
    if (!effect)
        return;
    effect->getAeffect()->user = this;
    effect->dispatcher(effOpen, 0, 0, nullptr, 0.0f);
    effect->setSampleRate(static_cast<float>(rate));
    effect->resume();
}

EffectHost::~EffectHost()
{
    if (!effect)
        return;
    effect->dispatcher(effClose, 0, 0, nullptr, 0.0f);
    delete effect;
}

void EffectHost::connect(uint32_t port, void* data)
{
    switch (port) {
    case lv2ports::kInL:
    case lv2ports::kInR:
        audioIn[port - lv2ports::kInL] = static_cast<float*>(data);
        return;
    case lv2ports::kOutL:
    case lv2ports::kOutR:
        audioOut[port - lv2ports::kOutL] = static_cast<float*>(data);
        return;
    case lv2ports::kLatency:
        latency = static_cast<float*>(data);
        return;
    default:
        break;
    }
    const uint32_t c = port - lv2ports::kFirstControl;
    if (c < static_cast<uint32_t>(numControls))
        controlIn[c] = static_cast<const float*>(data);
}

void EffectHost::activate()
{
    effect->suspend();
    effect->resume();
    starting = true;
}

void EffectHost::run(uint32_t frames)
{
    for (int c = 0; c < numControls; ++c) {
        const float* port = controlIn[c];
        if (!port || (seen[c] && *port == lastValue[c]))
            continue;
        lastValue[c] = *port;
        seen[c] = true;
        // A value the window has just set comes back through the host's
        // port: the effect has it already (perhaps between two steps, as a
        // knob being dragged leaves it), so it is not set again.
        const lv2ports::ControlPort& control = controls[c];
        const float normalised = lv2ports::toNormalised(control, *port);
        if (lv2ports::fromNormalised(control, effect->getParameter(control.param)) ==
            lv2ports::fromNormalised(control, normalised))
            continue;
        effect->setParameter(control.param, normalised);
    }
    if (starting) {
        effect->suspend();
        effect->resume();
        starting = false;
    }
    if (latency)
        *latency = static_cast<float>(effect->getAeffect()->initialDelay);

    if (!audioIn[0] || !audioOut[0] || frames == 0)
        return;
    effect->processReplacing(audioIn, audioOut, static_cast<int32_t>(frames));
}

intptr_t EffectHost::callback(AEffect* e, int32_t opcode, int32_t index, intptr_t value, void*, float opt)
{
    if (opcode == audioMasterVersion)
        return 2400;
    auto* self = e ? static_cast<EffectHost*>(e->user) : nullptr;
    return self ? self->answer(opcode, index, value, opt) : 0;
}

intptr_t EffectHost::answer(int32_t opcode, int32_t index, intptr_t value, float opt)
{
    UiLink* link = ui.load(std::memory_order_acquire);
    switch (opcode) {
    case audioMasterPinConnected: {
        // 0 means connected: the right pins count only when the host
        // connected the LV2 port.
        if (index == 0)
            return 0;
        const bool connected = index == 1 && (value ? audioOut[1] : audioIn[1]) != nullptr;
        return connected ? 0 : 1;
    }
    case audioMasterAutomate:
        if (link && controlOf(index) >= 0)
            link->parameterEdited(index, opt);
        return 1;
    case audioMasterBeginEdit:
    case audioMasterEndEdit:
        if (link && controlOf(index) >= 0)
            link->gesture(index, opcode == audioMasterBeginEdit);
        return 1;
    case audioMasterUpdateDisplay:
        if (link)
            link->programChanged();
        return 1;
    case audioMasterSizeWindow:
        return link && link->resize(index, static_cast<int>(value)) ? 1 : 0;
    default:
        return 0;
    }
}
