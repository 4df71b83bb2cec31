// The window size menu: lies behind every control over the whole window and
// opens, on a right click on the panel's background, a list of the sizes
// the editor offers, at the mouse. Choosing one tells the listener (value =
// the entry's index).
#pragma once

#include "gui/COptionMenu.h"

class CScaleMenu : public COptionMenu {
public:
    CScaleMenu(const CRect& size, CControlListener* listener, long tag);

    CMouseEventResult onMouseDown(CPoint& where, const long& buttons) override;
    // Opens the list at a point of the window, for views that offer the
    // menu over themselves.
    CMouseEventResult popUpAt(CPoint& where, const long& buttons);
    void draw(CDrawContext* context) override;
};
