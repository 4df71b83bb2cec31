#include "gui/CRockerSwitch.h"

#include "gui/CBitmap.h"

CRockerSwitch::CRockerSwitch(const CRect& size, CControlListener* listener, long tag,
                             CCoord heightOfOneImage, CBitmap* background, const CPoint& offset,
                             long style)
    : CControl(size, listener, tag, background),
      offset(offset),
      heightOfOneImage(heightOfOneImage),
      style(style)
{
    vmin = -1.f;
    vmax = 1.f;
    value = oldValue = 0.f;
}

void CRockerSwitch::draw(CDrawContext* context)
{
    if (pBackground) {
        const int index = value <= vmin ? 0 : value >= vmax ? 2 : 1;
        pBackground->draw(context, size, CPoint(offset.x, offset.y + index * heightOfOneImage));
    }
    setDirty(false);
}

CMouseEventResult CRockerSwitch::onMouseDown(CPoint& where, const long& buttons)
{
    if (!(buttons & kLButton))
        return kMouseEventNotHandled;
    beginEdit();
    return onMouseMoved(where, buttons);
}

CMouseEventResult CRockerSwitch::onMouseMoved(CPoint& where, const long& buttons)
{
    if (!(buttons & kLButton))
        return kMouseEventNotHandled;
    if (!size.pointInside(where)) {
        value = (vmin + vmax) / 2;
    } else if (style & kVertical) {
        value = where.y < size.top + size.getHeight() / 2 ? vmin : vmax;
    } else {
        value = where.x < size.left + size.getWidth() / 2 ? vmin : vmax;
    }
    if (isDirty()) {
        valueChanged();
        invalid();
    }
    return kMouseEventHandled;
}

CMouseEventResult CRockerSwitch::onMouseUp(CPoint&, const long&)
{
    value = (vmin + vmax) / 2;
    if (isDirty()) {
        valueChanged();
        invalid();
    }
    endEdit();
    return kMouseEventHandled;
}
