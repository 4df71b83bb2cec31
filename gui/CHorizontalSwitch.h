// A switch with several positions side by side: pressing (and dragging with
// the left button) selects the position under the pointer, the width divided
// into equal parts. value = index / (positions - 1) over min..max; the
// picture shown is round((subPixmaps - 1) * normalised value).
#pragma once

#include "gui/CControl.h"

class CHorizontalSwitch : public CControl {
public:
    CHorizontalSwitch(const CRect& size, CControlListener* listener, long tag, long subPixmaps,
                      CCoord heightOfOneImage, long iMaxPositions, CBitmap* background,
                      const CPoint& offset = CPoint(0, 0));

    void draw(CDrawContext* context) override;
    CMouseEventResult onMouseDown(CPoint& where, const long& buttons) override;
    CMouseEventResult onMouseMoved(CPoint& where, const long& buttons) override;
    CMouseEventResult onMouseUp(CPoint& where, const long& buttons) override;
    // One notch: the next position up or down.
    bool onWheel(const CPoint& where, const float& distance, const long& buttons) override;

    long getNumSubPixmaps() const { return subPixmaps; }
    CCoord getHeightOfOneImage() const { return heightOfOneImage; }

    CLASS_METHODS(CHorizontalSwitch, CControl)

protected:
    CPoint offset;
    long subPixmaps;
    CCoord heightOfOneImage;
    long iMaxPositions;
};
