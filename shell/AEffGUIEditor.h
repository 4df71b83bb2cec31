// The editor layer the toolkit talks to: a fixed rectangle, the frame while
// the window is open, the knob mode shared by every editor of the process,
// gesture brackets to the host and key events to the frame. Registers itself
// with its effect and holds the bundle reference while it lives.
#pragma once

#include <atomic>

#include "gui/VSTGUIEditorInterface.h"
#include "shell/AEffEditor.h"

class AEffGUIEditor : public AEffEditor, public VSTGUIEditorInterface {
public:
    explicit AEffGUIEditor(AudioEffect* effect);
    ~AEffGUIEditor() override;

    bool getRect(ERect** r) override;
    void close() override;
    void idle() override;
    bool onKeyDown(VstKeyCode& key) override;
    bool onKeyUp(VstKeyCode& key) override;
    bool setKnobMode(int32_t mode) override;

    // Mirrors a parameter change into the controls; nothing in the base.
    virtual void setParameter(int32_t /*index*/, float /*value*/) {}
    int32_t getKnobMode() const override { return knobMode.load(std::memory_order_relaxed); }
    void beginEdit(long index) override;
    void endEdit(long index) override;

protected:
    // Closes and releases the frame, if any.
    void closeFrame();

    ERect rect{};

private:
    static std::atomic<int32_t> knobMode;
};
