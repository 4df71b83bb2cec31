#include "gui/CSplashScreen.h"

#include "gui/CBitmap.h"
#include "gui/CFrame.h"

// The picture shown over the display area; any left click closes it. It
// keeps its splash screen alive while it exists.
class CSplashScreen::View : public CView {
public:
    View(const CRect& area, CSplashScreen* owner, CBitmap* picture, const CPoint& offset)
        : CView(area), owner(owner), offset(offset)
    {
        owner->remember();
        setBackground(picture);
    }

    ~View() override
    {
        if (owner->splashView == this)
            owner->splashView = nullptr;
        owner->forget();
    }

    void draw(CDrawContext* context) override
    {
        if (pBackground)
            pBackground->draw(context, size, offset);
        setDirty(false);
    }

    CMouseEventResult onMouseDown(CPoint&, const long& buttons) override
    {
        if (buttons & kLButton)
            owner->unSplash();
        return kMouseDownEventHandledButDontNeedMovedOrUpEvents;
    }

private:
    CSplashScreen* owner;
    CPoint offset;
};

CSplashScreen::CSplashScreen(const CRect& size, CControlListener* listener, long tag,
                             CBitmap* background, const CRect& displayArea, const CPoint& offset)
    : CControl(size, listener, tag, background), displayArea(displayArea), offset(offset)
{
}

CSplashScreen::CSplashScreen(const CSplashScreen& other)
    : CControl(other), displayArea(other.displayArea), offset(other.offset)
{
}

void CSplashScreen::draw(CDrawContext*)
{
    setDirty(false);
}

CMouseEventResult CSplashScreen::onMouseDown(CPoint&, const long& buttons)
{
    if (!(buttons & kLButton))
        return kMouseEventNotHandled;
    value = value == vmin ? vmax : vmin;
    if (value != vmin && pParentFrame && !splashView) {
        auto* view = new View(displayArea, this, pBackground, offset);
        if (pParentFrame->setModalView(view)) {
            splashView = view;
            beginEdit();
            valueChanged();
            endEdit();
        } else {
            view->forget();
        }
    }
    invalid();
    return kMouseDownEventHandledButDontNeedMovedOrUpEvents;
}

void CSplashScreen::unSplash()
{
    value = vmin;
    setDirty(true);
    // The shown view lives as the frame's modal view, on the reference we
    // handed over; take it back and release it.
    View* view = splashView;
    CFrame* frame = view ? view->getFrame() : nullptr;
    if (frame && frame->getModalView() == view) {
        splashView = nullptr;
        frame->setModalView(nullptr);
        view->forget();
    }
}
