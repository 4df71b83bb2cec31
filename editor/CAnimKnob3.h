// The editor's film-strip knob. Dragging is relative: moving right raises the
// value and moving up raises it twice as fast; holding Shift makes the drag
// finer, and pressing or releasing a modifier mid-drag changes the rate
// without moving the value. Ctrl-click or double-click returns to the default
// value; the wheel moves a hundredth of the range per step (a thousandth with
// Shift).
#pragma once

#include "gui/CKnob.h"

class CAnimKnob3 : public CAnimKnob {
public:
    CAnimKnob3(const CRect& size, CControlListener* listener, int tag, int subPixmaps,
               int heightOfOneImage, CBitmap* background, const CPoint& offset);

    void draw(CDrawContext* context) override;
    CMouseEventResult onMouseDown(CPoint& where, const long& buttons) override;
    CMouseEventResult onMouseUp(CPoint& where, const long& buttons) override;
    CMouseEventResult onMouseMoved(CPoint& where, const long& buttons) override;
    bool onWheel(const CPoint& where, const float& distance, const long& buttons) override;

    // How many times longer a full sweep gets while Shift is held. Used from
    // the next mouse-down or modifier change on.
    void setShiftZoom(double zoom) { shiftZoom = zoom; }
    // The parameter's step (0: continuous). With a step, one wheel notch
    // moves the knob by exactly one step, Shift or not.
    void setWheelStep(float step) { wheelStep = step; }
    double getShiftZoom() const { return shiftZoom; }

    // A full sweep of the range takes 1000 * rangeScale units of travel
    // (one unit per pixel right, two per pixel up). Read at the next
    // mouse-down or modifier change.
    double rangeScale = 1.0;

    CLASS_METHODS(CAnimKnob3, CAnimKnob)

private:
    // Travel units for the full range under the given buttons.
    float rangeFor(long buttons) const;

    double shiftZoom = 5.0;
    float wheelStep = 0.f;

    bool dragging = false;
    float startValue = 0.f; // value at zero travel
    float range = 0.f;
    float coef = 0.f;       // value change per travel unit
    long oldButtons = 0;    // buttons that range was computed for
    CPoint firstPoint;
    CPoint lastPoint;
    CPoint travelPoint;     // x accumulates the travel; y stays at firstPoint.y
};
