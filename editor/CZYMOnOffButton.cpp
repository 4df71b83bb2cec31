#include "editor/CZYMOnOffButton.h"

#include <cmath>

#include "gui/CBitmap.h"

CZYMOnOffButton::CZYMOnOffButton(const CRect& size, CControlListener* listener, long tag,
                                 CBitmap* background)
    : CControl(size, listener, tag, background)
{
}

void CZYMOnOffButton::draw(CDrawContext* context)
{
    if (pBackground) {
        const CCoord y = value >= 0.5f ? pBackground->getHeight() / 2 : 0;
        pBackground->draw(context, size, CPoint(0, y), 1.f);
    }
    setDirty(false);
}

CMouseEventResult CZYMOnOffButton::onMouseDown(CPoint&, const long& buttons)
{
    if (!(buttons & kLButton))
        return kMouseEventNotHandled;

    // On when value + 0.5 has a non-zero integer part; worked out in double so
    // that a value just under 0.5 does not round up to on, and a NaN (drawn
    // as off) switches on.
    const double whole = std::trunc(static_cast<double>(value) + 0.5);
    const bool on = whole != 0.0 && !std::isnan(whole);
    value = on ? 0.f : 1.f;

    beginEdit();
    if (listener)
        listener->valueChanged(this);
    endEdit();
    return kMouseDownEventHandledButDontNeedMovedOrUpEvents;
}
