// A push button of the preset strip. It reports once, on the press: 1.0 for
// a left click, or, in double-click mode, only for a left double-click, with
// 0.5 when Ctrl (the Command key) is held. Releasing it tells nobody.
// Pictures, top to bottom: idle, under the pointer, pressed. UI thread.
#pragma once

#include "gui/CKickButton.h"

class CPSKickButton : public CKickButton {
public:
    CPSKickButton(const CRect& size, CControlListener* listener, long tag, CCoord heightOfOneImage,
                  CBitmap* background, const CPoint& offset, bool doubleClickMode);

    void draw(CDrawContext* context) override;
    CMouseEventResult onMouseDown(CPoint& where, const long& buttons) override;
    CMouseEventResult onMouseMoved(CPoint& where, const long& buttons) override;
    CMouseEventResult onMouseUp(CPoint& where, const long& buttons) override;
    CMouseEventResult onMouseEntered(CPoint& where, const long& buttons) override;
    CMouseEventResult onMouseExited(CPoint& where, const long& buttons) override;

    // Shows the button released with value 0, for a listener whose action
    // ran while the button was held (the mouse-up may never come).
    void release();

    bool isDoubleClickMode() const { return doubleClickMode; }

    CLASS_METHODS(CPSKickButton, CKickButton)

protected:
    bool hover = false;
    bool doubleClickMode = false;
    bool pressed = false;
};
