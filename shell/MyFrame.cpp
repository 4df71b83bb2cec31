#include "shell/MyFrame.h"

#include "gui/CDrawContext.h"

MyFrame::MyFrame(const CRect& size, void* systemWindow, VSTGUIEditorInterface* editor)
    : CFrame(size, systemWindow, editor)
{
}

// The editor's only redraw trigger: every view whose value changed since it
// was last drawn, or everything when the frame is marked dirty.
void MyFrame::idle()
{
    invalidateDirtyViews();
}

void MyFrame::drawRect(CDrawContext* context, const CRect& updateRect)
{
    if (updateRect.isEmpty())
        return;
    CRect oldClip;
    context->getClipRect(oldClip);
    CRect clip = updateRect;
    clip.bound(oldClip);
    context->setClipRect(clip);
    CViewContainer::drawRect(context, clip);
    context->setClipRect(oldClip);
}
