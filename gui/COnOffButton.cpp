#include "gui/COnOffButton.h"

#include "gui/CBitmap.h"

COnOffButton::COnOffButton(const CRect& size, CControlListener* listener, long tag,
                           CBitmap* background)
    : CControl(size, listener, tag, background)
{
}

void COnOffButton::draw(CDrawContext* context)
{
    if (pBackground) {
        const bool on = value >= (vmin + vmax) / 2;
        pBackground->draw(context, size, CPoint(0, on ? pBackground->getHeight() / 2 : 0));
    }
    setDirty(false);
}

CMouseEventResult COnOffButton::onMouseDown(CPoint&, const long& buttons)
{
    if (!(buttons & kLButton))
        return kMouseEventNotHandled;
    value = value >= (vmin + vmax) / 2 ? vmin : vmax;
    invalid();
    beginEdit();
    valueChanged();
    endEdit();
    return kMouseDownEventHandledButDontNeedMovedOrUpEvents;
}
