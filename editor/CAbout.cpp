#include "editor/CAbout.h"

#include "editor/CSplashScreenMyView.h"
#include "gui/CFrame.h"

CAbout::CAbout(const CRect& size, CControlListener* listener, int tag, CBitmap* background,
               const CRect& displayArea, const CPoint& offset)
    : CSplashScreen(size, listener, tag, background, displayArea, offset)
{
}

void CAbout::draw(CDrawContext*)
{
    setDirty(false);
}

CMouseEventResult CAbout::onMouseDown(CPoint&, const long& buttons)
{
    if (!(buttons & kLButton) || !listener)
        return kMouseEventNotHandled;

    value = value == 0.f ? 1.f : 0.f;
    if (value == 0.f)
        return kMouseDownEventHandledButDontNeedMovedOrUpEvents;

    // The box opens only where the frame takes it as its modal view. When it
    // does not open, the hot spot reads closed again: the editor updates the
    // overload lamp only while the box is closed.
    auto* view = pParentFrame ? new CSplashScreenMyView(displayArea, this, offset) : nullptr;
    if (view && pParentFrame->setModalView(view)) {
        listener->valueChanged(this); // the frame now holds the view
    } else {
        if (view)
            view->forget();
        value = 0.f;
    }
    setDirty(true);
    return kMouseDownEventHandledButDontNeedMovedOrUpEvents;
}
