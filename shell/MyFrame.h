// The editor's top-level frame: redraws only what changed, on the host's
// idle calls (drawing each update clipped to its rectangle, as every frame
// of the toolkit does).
#pragma once

#include "gui/CFrame.h"

class MyFrame : public CFrame {
public:
    MyFrame(const CRect& size, void* systemWindow, VSTGUIEditorInterface* editor, double scale = 1.0);

    void idle() override;
};
