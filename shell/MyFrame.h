// The editor's top-level frame: redraws only what changed, on the host's
// idle calls, and draws each update clipped to its rectangle.
#pragma once

#include "gui/CFrame.h"

class MyFrame : public CFrame {
public:
    MyFrame(const CRect& size, void* systemWindow, VSTGUIEditorInterface* editor);

    void idle() override;
    void drawRect(CDrawContext* context, const CRect& updateRect) override;
};
