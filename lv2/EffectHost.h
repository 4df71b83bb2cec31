// The LV2 edition's instance: the very effect the VST edition builds (its
// program store and window included), hosted through a host callback of our
// own. Control ports reach it as the parameters a VST host sets; what the
// effect asks of its host (edits made in the window, gestures, program
// changes, window sizes) goes to the LV2 window when one is attached.
#pragma once

#include <atomic>
#include <cstdint>

#include "lv2/Ports.h"

class Sylvatone;
struct AEffect;

// The LV2 window's side. User-interface thread only, except programChanged.
class UiLink {
public:
    virtual ~UiLink() = default;
    // A control in the window moved (normalised value).
    virtual void parameterEdited(int param, float normalised) = 0;
    virtual void gesture(int param, bool begin) = 0;
    // Any thread: the program store changed the current values.
    virtual void programChanged() = 0;
    // The window asks for another size in pixels.
    virtual bool resize(int width, int height) = 0;
};

class EffectHost {
public:
    explicit EffectHost(double rate);
    ~EffectHost();
    EffectHost(const EffectHost&) = delete;
    EffectHost& operator=(const EffectHost&) = delete;

    bool valid() const { return effect != nullptr; }
    Sylvatone& plugin() { return *effect; }

    // The host's calls, as the LV2 descriptor gets them.
    void connect(uint32_t port, void* data);
    void activate();
    void run(uint32_t frames);

    // The window's side, or null when it closes.
    void attachUi(UiLink* link) { ui.store(link, std::memory_order_release); }

    // The control port of an engine parameter, or -1 when it has none.
    int controlOf(int param) const { return param >= 0 && param < kNumParams ? portOfParam[param] : -1; }
    const lv2ports::ControlPort& control(int c) const { return controls[c]; }
    int controlCount() const { return numControls; }

private:
    static intptr_t callback(AEffect* e, int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt);
    intptr_t answer(int32_t opcode, int32_t index, intptr_t value, float opt);

    Sylvatone* effect = nullptr;
    double rate;
    const lv2ports::ControlPort* controls = nullptr;
    int numControls = 0;
    int portOfParam[kNumParams];
    float* audioIn[2] = {};
    float* audioOut[2] = {};
    float* latency = nullptr;
    const float* controlIn[lv2ports::kMaxControls] = {};
    float lastValue[lv2ports::kMaxControls] = {};
    bool seen[lv2ports::kMaxControls] = {};
    // Set by activate: the first run restarts the effect once the ports'
    // values are in, so they apply at once, as values a VST host sets before
    // resuming, instead of gliding from the defaults.
    bool starting = true;
    std::atomic<UiLink*> ui{nullptr};
};
