// Rotary controls. CKnob draws a handle line over its background and follows
// the editor's knob mode: circular (the value follows the pointer's angle),
// relative circular (angle changes add to the value) or linear (dragging up
// or right raises it). Ctrl-click sets the default value; Shift makes drags
// and the wheel finer. CAnimKnob shows the value as one picture of a film
// strip instead.
#pragma once

#include "gui/CColor.h"
#include "gui/CControl.h"

enum { kCircularMode = 0, kRelativCircularMode, kLinearMode };

class CKnob : public CControl {
public:
    CKnob(const CRect& size, CControlListener* listener, long tag, CBitmap* background,
          const CPoint& offset = CPoint(0, 0));

    void draw(CDrawContext* context) override;
    CMouseEventResult onMouseDown(CPoint& where, const long& buttons) override;
    CMouseEventResult onMouseMoved(CPoint& where, const long& buttons) override;
    CMouseEventResult onMouseUp(CPoint& where, const long& buttons) override;
    bool onWheel(const CPoint& where, const float& distance, const long& buttons) override;

    void setColorHandle(const CColor& color) { colorHandle = color; }
    const CColor& getColorHandle() const { return colorHandle; }
    // How much finer dragging and the wheel get while Shift is held.
    void setZoomFactor(float factor) { zoomFactor = factor; }
    float getZoomFactor() const { return zoomFactor; }

    CLASS_METHODS(CKnob, CControl)

protected:
    // Angle (radians, counter-clockwise from 3 o'clock) that shows the value.
    double angleOfValue() const;
    // Value for a pointer position, by its angle around the centre.
    float valueFromPoint(const CPoint& where) const;
    double angleOfPoint(const CPoint& where) const;

    CPoint offset;
    CColor colorHandle = kWhiteCColor;
    float zoomFactor = 10.f;

private:
    bool dragging = false;
    long dragMode = kCircularMode;
    long dragButtons = 0;
    float dragStartValue = 0.f;
    CPoint dragStart;
    double dragAngle = 0;
};

class CAnimKnob : public CKnob {
public:
    CAnimKnob(const CRect& size, CControlListener* listener, long tag, long subPixmaps,
              CCoord heightOfOneImage, CBitmap* background, const CPoint& offset = CPoint(0, 0));

    // Picture round(normalised value * (subPixmaps - 1)), from the top of the strip.
    void draw(CDrawContext* context) override;

    long getNumSubPixmaps() const { return subPixmaps; }
    void setNumSubPixmaps(long n) { subPixmaps = n; }
    CCoord getHeightOfOneImage() const { return heightOfOneImage; }
    void setHeightOfOneImage(CCoord h) { heightOfOneImage = h; }

    CLASS_METHODS(CAnimKnob, CKnob)

protected:
    long subPixmaps;
    CCoord heightOfOneImage;
};
