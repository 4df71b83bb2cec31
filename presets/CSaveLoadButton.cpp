#include "presets/CSaveLoadButton.h"

#include "gui/CBitmap.h"

CSaveLoadButton::CSaveLoadButton(const CRect& size, CControlListener* listener, long tag,
                                 CCoord heightOfOneImage, CBitmap* background, const CPoint& offset)
    : CKickButton(size, listener, tag, heightOfOneImage, background, offset)
{
}

void CSaveLoadButton::draw(CDrawContext* context)
{
    const int index = value != 0.f ? 2 : hover ? 1 : 0;
    if (pBackground)
        pBackground->draw(context, size, CPoint(offset.x, offset.y + index * heightOfOneImage), 1.f);
    setDirty(false);
}

CMouseEventResult CSaveLoadButton::onMouseDown(CPoint&, const long& buttons)
{
    if (!(buttons & (kLButton | kRButton)) || !listener)
        return kMouseEventNotHandled;
    // Only a right click with no modifier at all asks for the other variant.
    value = buttons == kRButton ? 0.5f : 1.f;
    valueChanged();
    value = 0.f;
    invalid();
    return kMouseDownEventHandledButDontNeedMovedOrUpEvents;
}

CMouseEventResult CSaveLoadButton::onMouseEntered(CPoint&, const long&)
{
    hover = true;
    invalid();
    return kMouseEventHandled;
}

CMouseEventResult CSaveLoadButton::onMouseExited(CPoint&, const long&)
{
    hover = false;
    invalid();
    return kMouseEventHandled;
}

long CSaveLoadButton::onKeyDown(CKeyCode&)
{
    return -1;
}

long CSaveLoadButton::onKeyUp(CKeyCode&)
{
    return -1;
}
