#include "editor/CLED.h"

#include "gui/CBitmap.h"

CLED::CLED(const CRect& size, CControlListener* listener, int tag, CBitmap* ledBitmap)
    : CControl(size, listener, tag, nullptr), ledBitmap(ledBitmap)
{
    value = 0.f;
    oldValue = 0.f;
    if (ledBitmap) {
        ledBitmap->remember();
        const double h = ledBitmap->getHeight();
        holdOffset = CPoint(0, h / 3.0);
        litOffset = CPoint(0, 2.0 * h / 3.0);
    }
}

CLED::CLED(const CLED& other)
    : CControl(other),
      ledBitmap(other.ledBitmap),
      offOffset(other.offOffset),
      holdOffset(other.holdOffset),
      litOffset(other.litOffset)
{
    if (ledBitmap)
        ledBitmap->remember();
}

CLED::~CLED()
{
    if (ledBitmap)
        ledBitmap->forget();
}

bool CLED::getHold() const
{
    return value == 0.5f;
}

void CLED::setValue(float v)
{
    oldValue = value;
    value = v;
}

void CLED::resetHold()
{
    setValue(0.f);
}

void CLED::draw(CDrawContext* context)
{
    // Comparisons with NaN are false, so a NaN shows as off.
    const CPoint& offset = value > 0.5f ? litOffset : value == 0.5f ? holdOffset : offOffset;
    if (ledBitmap)
        ledBitmap->draw(context, size, offset, 1.f);
}

CMouseEventResult CLED::onMouseDown(CPoint&, const long& buttons)
{
    if (!(buttons & kLButton))
        return kMouseEventNotHandled;
    resetHold();
    if (listener)
        listener->valueChanged(this);
    return kMouseDownEventHandledButDontNeedMovedOrUpEvents;
}
