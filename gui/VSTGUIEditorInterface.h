// What a frame needs from the editor that owns it: gesture brackets for the
// host, the knob mode, and the frame pointer the editor keeps.
#pragma once

#include <cstdint>

class CFrame;

class VSTGUIEditorInterface {
public:
    virtual ~VSTGUIEditorInterface() = default;

    virtual void beginEdit(long /*index*/) {}
    virtual void endEdit(long /*index*/) {}
    // One of kCircularMode, kRelativCircularMode, kLinearMode.
    virtual int32_t getKnobMode() const { return 0; }
    virtual CFrame* getFrame() const { return frame; }

protected:
    CFrame* frame = nullptr;
};
