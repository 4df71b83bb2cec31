// The previous / next rocker of the preset strip: a press on the left half
// reports -1, on the right half +1; the release returns it to 0 without a
// report. The half under the pointer is highlighted. Pictures, top to
// bottom: idle, left hovered, right hovered, left pressed, right pressed.
// The pictures are taken from the bitmap's left edge. UI thread.
#pragma once

#include "gui/CRockerSwitch.h"

class CPSRockerSwitch : public CRockerSwitch {
public:
    CPSRockerSwitch(const CRect& size, CControlListener* listener, long tag, CCoord heightOfOneImage,
                    CBitmap* background, const CPoint& offset, long style);

    void draw(CDrawContext* context) override;
    CMouseEventResult onMouseDown(CPoint& where, const long& buttons) override;
    CMouseEventResult onMouseMoved(CPoint& where, const long& buttons) override;
    CMouseEventResult onMouseUp(CPoint& where, const long& buttons) override;
    CMouseEventResult onMouseEntered(CPoint& where, const long& buttons) override;
    CMouseEventResult onMouseExited(CPoint& where, const long& buttons) override;

    CLASS_METHODS(CPSRockerSwitch, CRockerSwitch)

protected:
    // -1 left of the middle, +1 from the middle on.
    int sideOf(const CPoint& where) const;

    int hoverSide = 0;
};
