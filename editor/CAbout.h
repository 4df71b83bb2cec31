// An invisible hot spot on the editor's background. A left click opens the
// about box (a CSplashScreenMyView over the display area) as the frame's
// modal view; the value is 1.0 while the box is open and 0.0 once it closes.
#pragma once

#include "gui/CSplashScreen.h"

class CAbout : public CSplashScreen {
public:
    // size is the clickable area; displayArea is where the box appears, and
    // offset where in the background bitmap its picture starts.
    CAbout(const CRect& size, CControlListener* listener, int tag, CBitmap* background,
           const CRect& displayArea, const CPoint& offset);

    // Draws nothing: the hot spot is part of the background picture.
    void draw(CDrawContext* context) override;
    CMouseEventResult onMouseDown(CPoint& where, const long& buttons) override;

    CLASS_METHODS(CAbout, CSplashScreen)
};
