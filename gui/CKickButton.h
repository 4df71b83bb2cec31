// A momentary button: maximum while pressed with the pointer over it, back
// to minimum on release. The listener hears the maximum when the button is
// released over it, then the minimum. Pictures: released on top, pressed below.
#pragma once

#include "gui/CControl.h"

class CKickButton : public CControl {
public:
    CKickButton(const CRect& size, CControlListener* listener, long tag, CCoord heightOfOneImage,
                CBitmap* background, const CPoint& offset = CPoint(0, 0));

    void draw(CDrawContext* context) override;
    CMouseEventResult onMouseDown(CPoint& where, const long& buttons) override;
    CMouseEventResult onMouseMoved(CPoint& where, const long& buttons) override;
    CMouseEventResult onMouseUp(CPoint& where, const long& buttons) override;

    CCoord getHeightOfOneImage() const { return heightOfOneImage; }
    void setHeightOfOneImage(CCoord h) { heightOfOneImage = h; }

    CLASS_METHODS(CKickButton, CControl)

protected:
    CPoint offset;
    CCoord heightOfOneImage;
};
