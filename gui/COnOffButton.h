// A two-state button: each left click switches between minimum and maximum.
// The background holds two pictures stacked: off on top, on below.
#pragma once

#include "gui/CControl.h"

class COnOffButton : public CControl {
public:
    COnOffButton(const CRect& size, CControlListener* listener, long tag, CBitmap* background);

    void draw(CDrawContext* context) override;
    CMouseEventResult onMouseDown(CPoint& where, const long& buttons) override;

    CLASS_METHODS(COnOffButton, CControl)
};
