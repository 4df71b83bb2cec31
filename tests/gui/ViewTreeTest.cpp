// Mouse and key routing through containers and the frame, and ownership of
// views as they are added, removed and closed.
#include <gtest/gtest.h>

#include "GuiTestSupport.h"
#include "gui/CViewContainer.h"

using namespace guitest;

namespace {
using Events = std::vector<std::string>;

// Counts its own destruction; a frame and bitmap of the same kind.
class CountingFrame : public CFrame {
public:
    CountingFrame(const CRect& r, int* destroyed) : CFrame(r, nullptr, nullptr), destroyed(destroyed) {}
    ~CountingFrame() override { ++*destroyed; }

private:
    int* destroyed;
};

class CountingBitmap : public CBitmap {
public:
    CountingBitmap(int id, int* destroyed) : CBitmap(id), destroyed(destroyed) {}
    ~CountingBitmap() override { ++*destroyed; }

private:
    int* destroyed;
};

// Removes itself from its container while handling a mouse-down.
class SelfRemovingView : public ProbeView {
public:
    using ProbeView::ProbeView;
    CMouseEventResult onMouseDown(CPoint& where, const long& buttons) override
    {
        ProbeView::onMouseDown(where, buttons);
        static_cast<CViewContainer*>(getParentView())->removeView(this);
        return kMouseEventHandled;
    }
};
} // namespace

TEST(ViewTree, MouseDownGoesToTheTopmostChildThatHandlesIt)
{
    FrameHolder frame(CRect(0, 0, 200, 100));
    auto* below = new ProbeView(CRect(0, 0, 100, 100));
    auto* above = new ProbeView(CRect(50, 0, 150, 100));
    frame->addView(below);
    frame->addView(above);

    EXPECT_EQ(frame->getViewAt(CPoint(60, 10)), above);
    EXPECT_EQ(mouseDown(frame.frame, 60, 10, kLButton | kDoubleClick | kShift), kMouseEventHandled);
    EXPECT_EQ(above->events, (Events{"entered", "down"}));
    EXPECT_EQ(above->lastButtons, kLButton | kDoubleClick | kShift);
    EXPECT_EQ(below->events, Events{});
    mouseUp(frame.frame, 60, 10);

    // A view that declines passes the click to the one beneath it.
    above->downResult = kMouseEventNotHandled;
    above->events.clear();
    EXPECT_EQ(mouseDown(frame.frame, 60, 10), kMouseEventHandled);
    EXPECT_EQ(above->events, Events{"down"});
    EXPECT_EQ(below->events, Events{"down"});

    EXPECT_EQ(mouseDown(frame.frame, 180, 10), kMouseEventNotHandled);
}

TEST(ViewTree, AViewThatTookTheMouseDownGetsMovesAndUpUntilRelease)
{
    FrameHolder frame(CRect(0, 0, 200, 100));
    auto* left = new ProbeView(CRect(0, 0, 100, 100));
    auto* right = new ProbeView(CRect(100, 0, 200, 100));
    frame->addView(left);
    frame->addView(right);

    mouseDown(frame.frame, 50, 50);
    mouseMoved(frame.frame, 150, 50);
    mouseMoved(frame.frame, 250, -20); // outside the frame altogether
    EXPECT_EQ(left->lastWhere, CPoint(250, -20));
    mouseUp(frame.frame, 150, 50);
    EXPECT_EQ(left->events, (Events{"entered", "down", "exited", "moved", "moved", "up"}));
    // The right view saw the pointer pass but none of the drag.
    EXPECT_EQ(right->events, (Events{"entered", "exited"}));

    // After release, moves go to the view under the pointer again.
    left->events.clear();
    right->events.clear();
    mouseMoved(frame.frame, 150, 50, 0);
    EXPECT_EQ(left->events, Events{});
    EXPECT_EQ(right->events, (Events{"entered", "moved"}));

    // A view that needs no more events after the down is not followed: the
    // drag goes to whatever lies under the pointer, and the up to no one.
    right->downResult = kMouseDownEventHandledButDontNeedMovedOrUpEvents;
    right->events.clear();
    mouseDown(frame.frame, 150, 50);
    mouseMoved(frame.frame, 50, 50);
    mouseUp(frame.frame, 50, 50);
    EXPECT_EQ(right->events, (Events{"down", "exited"}));
    EXPECT_EQ(left->events, (Events{"entered", "moved"}));

    // Leaving the window ends the hover.
    CPoint outside(-1, -1);
    frame->onMouseExited(outside, 0);
    EXPECT_EQ(left->events, (Events{"entered", "moved", "exited"}));
}

TEST(ViewTree, ModalViewTakesAllInputAndOnlyOneIsAllowed)
{
    FrameHolder frame(CRect(0, 0, 200, 100));
    auto* normal = new ProbeView(CRect(0, 0, 200, 100));
    frame->addView(normal);
    auto* modal = new ProbeView(CRect(150, 0, 200, 50));

    ASSERT_TRUE(frame->setModalView(modal));
    auto* second = new ProbeView(CRect(0, 0, 10, 10));
    EXPECT_FALSE(frame->setModalView(second));
    second->forget();

    mouseDown(frame.frame, 10, 90); // far outside the modal view
    EXPECT_EQ(frame->getCurrentMouseButtons(), kLButton);
    mouseUp(frame.frame, 10, 90);
    EXPECT_EQ(frame->getCurrentMouseButtons(), 0);
    frame->onWheel(CPoint(10, 90), 1.f, 0);
    VstKeyCode k = key('a');
    EXPECT_EQ(frame->onKeyDown(k), 1);
    EXPECT_EQ(modal->events, (Events{"down", "up", "wheel", "key"}));
    EXPECT_EQ(normal->events, Events{});

    // Unsetting hands the reference the frame took back to the caller.
    ASSERT_TRUE(frame->setModalView(nullptr));
    EXPECT_FALSE(frame->isChild(modal));
    EXPECT_EQ(modal->getNbReference(), 1);
    modal->forget();
    mouseDown(frame.frame, 10, 90);
    EXPECT_EQ(normal->events, (Events{"entered", "down"}));
    // Without a modal or focused view, keys are not handled.
    EXPECT_EQ(frame->onKeyDown(k), -1);
}

TEST(ViewTree, NestedContainersWorkInTheirOwnCoordinates)
{
    FrameHolder frame(CRect(0, 0, 100, 100));
    frame->setBackgroundColor(CColor(0, 0, 0));
    auto* box = new CViewContainer(CRect(10, 20, 60, 70));
    box->setBackgroundColor(CColor(0, 0, 255));
    auto* inner = new ProbeView(CRect(5, 5, 15, 15));
    box->addView(inner);
    frame->addView(box);

    mouseDown(frame.frame, 17, 27);
    EXPECT_EQ(inner->lastWhere, CPoint(7, 7));
    EXPECT_EQ(frame->getViewAt(CPoint(17, 27), true), inner);
    CPoint p(5, 5);
    EXPECT_EQ(inner->localToFrame(p), CPoint(15, 25));

    cairo_surface_t* s = frame->getOffscreenSurface();
    EXPECT_EQ(pixelAt(s, 12, 22), rgb(0, 0, 255));
    EXPECT_EQ(pixelAt(s, 5, 5), rgb(0, 0, 0));
    EXPECT_EQ(inner->draws, 1);
}

TEST(ViewTree, CloseReleasesViewsBitmapsAndTheFrame)
{
    ResourceFolder folder;
    folder.writeStrip(7, 4, 4, {rgb(1, 2, 3)});
    int viewsGone = 0, bitmapsGone = 0, framesGone = 0;
    auto* frame = new CountingFrame(CRect(0, 0, 50, 50), &framesGone);
    auto* bitmap = new CountingBitmap(7, &bitmapsGone);
    frame->setBackground(bitmap);

    auto* box = new CViewContainer(CRect(0, 0, 50, 50));
    auto* a = new ProbeView(CRect(0, 0, 10, 10), &viewsGone);
    a->setBackground(bitmap);
    box->addView(a);
    box->addView(new ProbeView(CRect(10, 0, 20, 10), &viewsGone));
    frame->addView(box);
    frame->addView(new ProbeView(CRect(20, 0, 30, 10), &viewsGone));
    frame->setModalView(new ProbeView(CRect(0, 0, 50, 50), &viewsGone));
    bitmap->forget(); // the views and the frame keep it
    EXPECT_EQ(bitmap->getNbReference(), 2);

    // A view taken out without release stays alive until its owner lets go.
    auto* kept = new ProbeView(CRect(30, 0, 40, 10), &viewsGone);
    frame->addView(kept);
    frame->removeView(kept, false);
    EXPECT_EQ(kept->getParentView(), nullptr);

    frame->idle();
    frame->close();
    EXPECT_EQ(viewsGone, 4);
    EXPECT_EQ(bitmapsGone, 1);
    EXPECT_EQ(framesGone, 1);
    kept->forget();
    EXPECT_EQ(viewsGone, 5);
}

TEST(ViewTree, AViewMayRemoveItselfWhileHandlingAClick)
{
    FrameHolder frame(CRect(0, 0, 100, 100));
    int gone = 0;
    frame->addView(new SelfRemovingView(CRect(0, 0, 50, 50), &gone));
    EXPECT_EQ(mouseDown(frame.frame, 10, 10), kMouseEventHandled);
    EXPECT_EQ(gone, 1);
    // Nothing is captured: the up and later moves reach no one.
    EXPECT_EQ(mouseMoved(frame.frame, 20, 20), kMouseEventNotHandled);
    EXPECT_EQ(mouseUp(frame.frame, 20, 20), kMouseEventNotHandled);
}
