// The equaliser's editor object. It lives as long as the effect; its window
// (a frame with the background picture) exists only between the host's open
// and close.
#pragma once

#include "presets/CPresetSystemEditor.h"

class ADEditor : public CPresetSystemEditor {
public:
    explicit ADEditor(CPresetSystemEffect* effect);

    // Opens the window into the host's parent (an X11 window id); with a
    // null parent the frame draws off-screen only (for snapshots and tests).
    bool open(void* ptr) override;
    void close() override;
    void setParameter(int32_t index, float value) override;

    // The engine tells the editor when its rate or latency may have changed.
    virtual void internalSampleRateChanged() {}
    virtual void resume() {}
};
