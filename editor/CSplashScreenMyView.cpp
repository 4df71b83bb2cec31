#include "editor/CSplashScreenMyView.h"

#include <cmath>

#include "gui/CBitmap.h"
#include "gui/CDrawContext.h"
#include "gui/CFont.h"
#include "gui/CFrame.h"

const char* const CSplashScreenMyView::kVersionText = "v.1.8.0";

CSplashScreenMyView::CSplashScreenMyView(const CRect& displayArea, CSplashScreen* splash,
                                         const CPoint& offset)
    : CView(displayArea), splash(splash), offset(offset)
{
    if (splash) {
        splash->remember();
        setBackground(splash->getBackground());
        setTransparency(splash->getTransparency());
    }
    setDirty(false);
}

CSplashScreenMyView::~CSplashScreenMyView()
{
    if (splash)
        splash->forget();
}

CRect CSplashScreenMyView::versionTextRect(const CRect& area)
{
    const CCoord cx = std::trunc((area.left + area.right) / 2);
    const CCoord cy = std::trunc((area.top + area.bottom) / 2);
    return CRect(cx + 65, cy - 47, cx + 104, cy - 37);
}

void CSplashScreenMyView::draw(CDrawContext* context)
{
    if (pBackground)
        pBackground->draw(context, size, offset, 1.f);
    context->setFontColor(CColor(60, 60, 60, 255));
    context->setFont(kNormalFontVerySmall);
    context->drawString(kVersionText, versionTextRect(size), kCenterText, true);
    setDirty(false);
}

CMouseEventResult CSplashScreenMyView::onMouseDown(CPoint&, const long& buttons)
{
    if (buttons & kLButton) {
        if (splash)
            splash->unSplash();
        CFrame* frame = pParentFrame;
        if (frame) {
            frame->setDirty(true);
            // The frame was handed the only reference when the box opened;
            // taking the view off the frame leaves it to us to release.
            if (frame->getModalView() == this) {
                frame->setModalView(nullptr);
                forget();
            }
        }
    }
    return kMouseDownEventHandledButDontNeedMovedOrUpEvents;
}
