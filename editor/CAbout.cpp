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

    if (pParentFrame) {
        auto* view = new CSplashScreenMyView(displayArea, this, offset);
        if (pParentFrame->setModalView(view))
            listener->valueChanged(this); // the frame now holds the view
        else
            view->forget(); // another modal view is up: nothing shows
    }
    setDirty(true);
    return kMouseDownEventHandledButDontNeedMovedOrUpEvents;
}
