// A load or save button of the preset strip. It reports on the press and
// springs straight back: 0.5 for a bare right click (a load button then
// reads the file in the other byte order), 1.0 for any other left or right
// click. Pictures, top to bottom: idle, under the pointer, pressed. UI thread.
#pragma once

#include "gui/CKickButton.h"

class CSaveLoadButton : public CKickButton {
public:
    CSaveLoadButton(const CRect& size, CControlListener* listener, long tag, CCoord heightOfOneImage,
                    CBitmap* background, const CPoint& offset);

    void draw(CDrawContext* context) override;
    CMouseEventResult onMouseDown(CPoint& where, const long& buttons) override;
    CMouseEventResult onMouseEntered(CPoint& where, const long& buttons) override;
    CMouseEventResult onMouseExited(CPoint& where, const long& buttons) override;
    // Keys are not used.
    long onKeyDown(CKeyCode& keyCode) override;
    long onKeyUp(CKeyCode& keyCode) override;

    CLASS_METHODS(CSaveLoadButton, CKickButton)

protected:
    bool hover = false;
};
