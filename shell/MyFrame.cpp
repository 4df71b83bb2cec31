#include "shell/MyFrame.h"

MyFrame::MyFrame(const CRect& size, void* systemWindow, VSTGUIEditorInterface* editor, double scale)
    : CFrame(size, systemWindow, editor, scale)
{
}

// The editor's only redraw trigger: every view whose value changed since it
// was last drawn, or everything when the frame is marked dirty.
void MyFrame::idle()
{
    invalidateDirtyViews();
}
