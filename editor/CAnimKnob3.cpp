#include "editor/CAnimKnob3.h"

#include <cmath>

#include "gui/CBitmap.h"

CAnimKnob3::CAnimKnob3(const CRect& size, CControlListener* listener, int tag, int subPixmaps,
                       int heightOfOneImage, CBitmap* background, const CPoint& offset)
    : CAnimKnob(size, listener, tag, subPixmaps, heightOfOneImage, background, offset)
{
}

float CAnimKnob3::rangeFor(long buttons) const
{
    double r = 1000.0 * rangeScale;
    if (buttons & kShift)
        r *= shiftZoom;
    return static_cast<float>(r);
}

void CAnimKnob3::draw(CDrawContext* context)
{
    // The product is rounded to float before the half is added, so values
    // that land exactly between two frames in float pick the upper one.
    long index = 0;
    if (value > 0.f) {
        const float scaled = value * static_cast<float>(subPixmaps - 1);
        const double position = static_cast<double>(scaled) + 0.5;
        // A value above the maximum shows the last picture rather than
        // whatever lies below the strip.
        if (position >= static_cast<double>(subPixmaps - 1))
            index = subPixmaps > 1 ? subPixmaps - 1 : 0;
        else
            index = static_cast<long>(position);
    }
    if (pBackground)
        pBackground->draw(context, size, CPoint(0, index * heightOfOneImage), 1.f);
    setDirty(false);
}

CMouseEventResult CAnimKnob3::onMouseDown(CPoint& where, const long& buttons)
{
    if (!(buttons & kLButton) || !listener)
        return kMouseEventNotHandled;

    if (dragging) { // a press that arrived before the last drag's release
        dragging = false;
        endEdit();
    }
    beginEdit();

    if (buttons & (kControl | kDoubleClick)) {
        const float before = value;
        value = defaultValue;
        if (value != before) {
            invalid();
            listener->valueChanged(this);
        }
        endEdit();
        return kMouseDownEventHandledButDontNeedMovedOrUpEvents;
    }

    range = rangeFor(buttons);
    coef = (vmax - vmin) / range;
    startValue = value;
    oldButtons = buttons;
    firstPoint = lastPoint = travelPoint = where;
    dragging = true;
    return onMouseMoved(where, buttons);
}

CMouseEventResult CAnimKnob3::onMouseMoved(CPoint& where, const long& buttons)
{
    // Moves outside a drag (the button pressed elsewhere and brought over the
    // knob) are not ours: they would change the value outside an edit gesture.
    if (!(buttons & kLButton) || !dragging)
        return kMouseEventNotHandled;

    const float before = value;

    const double step = (where.x - lastPoint.x) + 2 * (lastPoint.y - where.y);
    travelPoint.x += static_cast<float>(step);
    lastPoint = where;
    const double travel = (travelPoint.x - firstPoint.x) + (firstPoint.y - travelPoint.y);

    if (buttons != oldButtons) {
        // Move the anchor so that the travel so far still gives the value it
        // gave at the old rate; only later travel goes at the new one.
        range = rangeFor(buttons);
        const float newCoef = (vmax - vmin) / range;
        startValue += static_cast<float>((coef - newCoef) * travel);
        coef = newCoef;
        oldButtons = buttons;
    }

    // The anchor stays put when the value is clamped, so travel past an end
    // has to be undone before the value leaves it.
    value = static_cast<float>(startValue + travel * coef);
    if (value > vmax)
        value = vmax;
    else if (value < vmin)
        value = vmin;

    if (value != before) {
        invalid();
        if (listener)
            listener->valueChanged(this);
    }
    return kMouseEventHandled;
}

CMouseEventResult CAnimKnob3::onMouseUp(CPoint&, const long&)
{
    if (!dragging)
        return kMouseEventNotHandled;
    dragging = false;
    endEdit();
    return kMouseEventHandled;
}

bool CAnimKnob3::onWheel(const CPoint&, const float& distance, const long& buttons)
{
    const float before = value;
    if (wheelStep > 0.f) {
        // From the step the knob is on, whole steps per notch.
        const float notches = distance > 0.f ? std::ceil(distance) : std::floor(distance);
        value = (std::round(value / wheelStep) + notches) * wheelStep;
    } else {
        value += distance * ((buttons & kShift) ? 0.001f : 0.01f);
    }
    bounceValue();
    if (value != before) {
        invalid();
        if (listener) {
            beginEdit();
            listener->valueChanged(this);
            endEdit();
        }
    }
    return true;
}
