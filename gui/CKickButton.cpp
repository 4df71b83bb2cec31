#include "gui/CKickButton.h"

#include "gui/CBitmap.h"

CKickButton::CKickButton(const CRect& size, CControlListener* listener, long tag,
                         CCoord heightOfOneImage, CBitmap* background, const CPoint& offset)
    : CControl(size, listener, tag, background), offset(offset), heightOfOneImage(heightOfOneImage)
{
}

void CKickButton::draw(CDrawContext* context)
{
    if (pBackground) {
        const bool pressed = value >= (vmin + vmax) / 2;
        pBackground->draw(context, size,
                          CPoint(offset.x, offset.y + (pressed ? heightOfOneImage : 0)));
    }
    setDirty(false);
}

CMouseEventResult CKickButton::onMouseDown(CPoint& where, const long& buttons)
{
    if (!(buttons & kLButton))
        return kMouseEventNotHandled;
    beginEdit();
    return onMouseMoved(where, buttons);
}

CMouseEventResult CKickButton::onMouseMoved(CPoint& where, const long& buttons)
{
    if (!(buttons & kLButton))
        return kMouseEventNotHandled;
    value = size.pointInside(where) ? vmax : vmin;
    if (isDirty())
        invalid();
    return kMouseEventHandled;
}

CMouseEventResult CKickButton::onMouseUp(CPoint&, const long&)
{
    if (value == vmax)
        valueChanged();
    value = vmin;
    valueChanged();
    if (isDirty())
        invalid();
    endEdit();
    return kMouseEventHandled;
}
