#include "gui/CHorizontalSwitch.h"

#include <cmath>

#include "gui/CBitmap.h"

CHorizontalSwitch::CHorizontalSwitch(const CRect& size, CControlListener* listener, long tag,
                                     long subPixmaps, CCoord heightOfOneImage, long iMaxPositions,
                                     CBitmap* background, const CPoint& offset)
    : CControl(size, listener, tag, background),
      offset(offset),
      subPixmaps(subPixmaps),
      heightOfOneImage(heightOfOneImage),
      iMaxPositions(iMaxPositions)
{
}

void CHorizontalSwitch::draw(CDrawContext* context)
{
    if (pBackground && subPixmaps > 0) {
        long index = static_cast<long>(std::floor(normalizedValue() * (subPixmaps - 1) + 0.5));
        index = std::max(0L, std::min(subPixmaps - 1, index));
        pBackground->draw(context, size, CPoint(offset.x, offset.y + index * heightOfOneImage));
    }
    setDirty(false);
}

CMouseEventResult CHorizontalSwitch::onMouseDown(CPoint& where, const long& buttons)
{
    if (!(buttons & kLButton))
        return kMouseEventNotHandled;
    beginEdit();
    return onMouseMoved(where, buttons);
}

CMouseEventResult CHorizontalSwitch::onMouseMoved(CPoint& where, const long& buttons)
{
    if (!(buttons & kLButton))
        return kMouseEventNotHandled;
    if (iMaxPositions > 1) {
        // The picture's width sets the parts; without a picture, the view's.
        const CCoord width = pBackground && pBackground->isLoaded() ? pBackground->getWidth()
                                                                    : size.getWidth();
        long index = static_cast<long>(std::floor((where.x - size.left) * iMaxPositions / width));
        index = std::max(0L, std::min(iMaxPositions - 1, index));
        value = vmin + static_cast<float>(index) / (iMaxPositions - 1) * (vmax - vmin);
    } else {
        value = vmin;
    }
    if (isDirty()) {
        valueChanged();
        invalid();
    }
    return kMouseEventHandled;
}

CMouseEventResult CHorizontalSwitch::onMouseUp(CPoint&, const long&)
{
    endEdit();
    return kMouseEventHandled;
}

bool CHorizontalSwitch::onWheel(const CPoint&, const float& distance, const long&)
{
    if (iMaxPositions < 2 || distance == 0.f)
        return false;
    const float span = vmax - vmin;
    long index = span != 0.f ? std::lround((value - vmin) / span * (iMaxPositions - 1)) : 0;
    index += distance > 0.f ? 1 : -1;
    index = std::max(0L, std::min(iMaxPositions - 1, index));
    const float next = vmin + static_cast<float>(index) / (iMaxPositions - 1) * span;
    if (next != value) {
        value = next;
        beginEdit();
        valueChanged();
        endEdit();
        invalid();
    }
    return true;
}
