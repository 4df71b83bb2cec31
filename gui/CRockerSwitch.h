// A three-way switch: pressing the first half (left, or top when vertical)
// gives the minimum (-1), the second half the maximum (+1); releasing
// returns to the middle (0). The listener hears each change. Pictures from
// the top: minimum, middle, maximum.
#pragma once

#include "gui/CControl.h"

enum { kHorizontal = 1 << 0, kVertical = 1 << 1 };

class CRockerSwitch : public CControl {
public:
    CRockerSwitch(const CRect& size, CControlListener* listener, long tag,
                  CCoord heightOfOneImage, CBitmap* background, const CPoint& offset = CPoint(0, 0),
                  long style = kHorizontal);

    void draw(CDrawContext* context) override;
    CMouseEventResult onMouseDown(CPoint& where, const long& buttons) override;
    CMouseEventResult onMouseMoved(CPoint& where, const long& buttons) override;
    CMouseEventResult onMouseUp(CPoint& where, const long& buttons) override;

    long getStyle() const { return style; }

    CLASS_METHODS(CRockerSwitch, CControl)

protected:
    CPoint offset;
    CCoord heightOfOneImage;
    long style;
};
