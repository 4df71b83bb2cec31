// The editor's two-state switch: each left click toggles between off (0.0)
// and on (1.0). The background holds two pictures stacked: off on top, on
// below. A value of 0.5 or more counts as on.
#pragma once

#include "gui/CControl.h"

class CZYMOnOffButton : public CControl {
public:
    CZYMOnOffButton(const CRect& size, CControlListener* listener, long tag, CBitmap* background);

    void draw(CDrawContext* context) override;
    CMouseEventResult onMouseDown(CPoint& where, const long& buttons) override;

    CLASS_METHODS(CZYMOnOffButton, CControl)
};
