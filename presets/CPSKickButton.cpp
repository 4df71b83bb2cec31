#include "presets/CPSKickButton.h"

#include "gui/CBitmap.h"

CPSKickButton::CPSKickButton(const CRect& size, CControlListener* listener, long tag,
                             CCoord heightOfOneImage, CBitmap* background, const CPoint& offset,
                             bool doubleClickMode)
    : CKickButton(size, listener, tag, heightOfOneImage, background, offset),
      doubleClickMode(doubleClickMode)
{
}

void CPSKickButton::draw(CDrawContext* context)
{
    const int index = pressed ? 2 : hover ? 1 : 0;
    if (pBackground)
        pBackground->draw(context, size, CPoint(offset.x, offset.y + index * heightOfOneImage), 1.f);
    setDirty(false);
}

CMouseEventResult CPSKickButton::onMouseDown(CPoint&, const long& buttons)
{
    if (!(buttons & kLButton))
        return kMouseDownEventHandledButDontNeedMovedOrUpEvents;
    if (doubleClickMode && !(buttons & kDoubleClick))
        return kMouseDownEventHandledButDontNeedMovedOrUpEvents;

    pressed = true;
    value = doubleClickMode && (buttons & kControl) ? 0.5f : 1.f;
    valueChanged();
    invalid();
    return kMouseEventHandled;
}

// The value was reported on the press and stays until the release: a drag
// changes nothing, but is taken so that the mouse-up, which releases, still
// arrives. Hovering is followed through entered and exited alone.
CMouseEventResult CPSKickButton::onMouseMoved(CPoint&, const long&)
{
    return pressed ? kMouseEventHandled : kMouseEventNotHandled;
}

CMouseEventResult CPSKickButton::onMouseUp(CPoint&, const long&)
{
    release();
    return kMouseEventHandled;
}

CMouseEventResult CPSKickButton::onMouseEntered(CPoint&, const long&)
{
    hover = true;
    invalid();
    return kMouseEventHandled;
}

CMouseEventResult CPSKickButton::onMouseExited(CPoint&, const long&)
{
    hover = false;
    invalid();
    return kMouseEventHandled;
}

void CPSKickButton::release()
{
    value = 0.f;
    pressed = false;
    invalid();
}
