// The editor layer that controls talk to: a fixed rectangle, the knob mode
// shared by every editor of the process, and gesture brackets to the host.
// Registers itself with its effect on construction.
#pragma once

#include <atomic>

#include "shell/AEffEditor.h"

class AEffGUIEditor : public AEffEditor {
public:
    explicit AEffGUIEditor(AudioEffect* effect);

    bool getRect(ERect** r) override;
    bool setKnobMode(int32_t mode) override;

    // Mirrors a parameter change into the controls; nothing in the base.
    virtual void setParameter(int32_t /*index*/, float /*value*/) {}
    virtual int32_t getKnobMode() const { return knobMode.load(std::memory_order_relaxed); }
    virtual void beginEdit(int32_t index);
    virtual void endEdit(int32_t index);

protected:
    ERect rect{};

private:
    static std::atomic<int32_t> knobMode;
};
