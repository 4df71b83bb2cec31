// The about box: the splash picture with the version written on it, shown as
// the frame's modal view. A left click anywhere closes it and resets the hot
// spot that opened it; other clicks are swallowed.
#pragma once

#include "gui/CSplashScreen.h"

class CSplashScreenMyView : public CView {
public:
    // Covers displayArea with splash's background bitmap from offset. The
    // view keeps splash alive while it exists, so that closing the box never
    // reaches a hot spot that its frame has already let go of.
    CSplashScreenMyView(const CRect& displayArea, CSplashScreen* splash, const CPoint& offset);
    ~CSplashScreenMyView() override;

    void draw(CDrawContext* context) override;
    CMouseEventResult onMouseDown(CPoint& where, const long& buttons) override;

    CSplashScreen* getSplash() const { return splash; }
    const CPoint& getOffset() const { return offset; }

    // Where the version text goes for a view covering area.
    static CRect versionTextRect(const CRect& area);
    static const char* const kVersionText;

    CLASS_METHODS_NOCOPY(CSplashScreenMyView, CView)
    CView* newCopy() const override { return nullptr; }

private:
    CSplashScreen* splash;
    CPoint offset;
};
