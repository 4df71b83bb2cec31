// An invisible hot spot that, when clicked, shows its background bitmap (from
// offset) over displayArea as the frame's modal view; a click on the shown
// picture closes it. value is 1 while it is shown, 0 otherwise.
#pragma once

#include "gui/CControl.h"

class CSplashScreen : public CControl {
public:
    CSplashScreen(const CRect& size, CControlListener* listener, long tag, CBitmap* background,
                  const CRect& displayArea, const CPoint& offset = CPoint(0, 0));
    CSplashScreen(const CSplashScreen& other);

    void draw(CDrawContext* context) override;
    CMouseEventResult onMouseDown(CPoint& where, const long& buttons) override;
    // Closes the picture if this control opened it and sets the value to minimum.
    virtual void unSplash();

    const CRect& getDisplayArea() const { return displayArea; }
    void setDisplayArea(const CRect& rect) { displayArea = rect; }
    const CPoint& getOffset() const { return offset; }

    CLASS_METHODS(CSplashScreen, CControl)

protected:
    CRect displayArea;
    CPoint offset;

private:
    class View;
    View* splashView = nullptr;
};
