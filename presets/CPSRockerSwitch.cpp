#include "presets/CPSRockerSwitch.h"

#include "gui/CBitmap.h"

CPSRockerSwitch::CPSRockerSwitch(const CRect& size, CControlListener* listener, long tag,
                                 CCoord heightOfOneImage, CBitmap* background, const CPoint& offset,
                                 long style)
    : CRockerSwitch(size, listener, tag, heightOfOneImage, background, offset, style)
{
}

int CPSRockerSwitch::sideOf(const CPoint& where) const
{
    return where.x < size.left + size.getWidth() / 2 ? -1 : 1;
}

void CPSRockerSwitch::draw(CDrawContext* context)
{
    int index = hoverSide == -1 ? 1 : hoverSide == 1 ? 2 : 0;
    // A pressed half shows over the hover.
    if (value == -1.f)
        index = 3;
    else if (value == 1.f)
        index = 4;
    if (pBackground)
        pBackground->draw(context, size, CPoint(0, index * heightOfOneImage), 1.f);
    setDirty(false);
}

CMouseEventResult CPSRockerSwitch::onMouseDown(CPoint& where, const long& buttons)
{
    if (!(buttons & kLButton))
        return kMouseEventNotHandled;
    value = static_cast<float>(sideOf(where));
    invalid();
    valueChanged();
    return kMouseEventHandled;
}

// While held the pressed half stays as it was; otherwise the hover follows
// the pointer from half to half.
CMouseEventResult CPSRockerSwitch::onMouseMoved(CPoint& where, const long& buttons)
{
    if (buttons & kLButton)
        return kMouseEventHandled;
    return onMouseEntered(where, buttons);
}

CMouseEventResult CPSRockerSwitch::onMouseUp(CPoint&, const long&)
{
    value = 0.f;
    invalid();
    return kMouseEventHandled;
}

CMouseEventResult CPSRockerSwitch::onMouseEntered(CPoint& where, const long&)
{
    hoverSide = sideOf(where);
    invalid();
    return kMouseEventHandled;
}

CMouseEventResult CPSRockerSwitch::onMouseExited(CPoint&, const long&)
{
    hoverSide = 0;
    invalid();
    return kMouseEventHandled;
}
