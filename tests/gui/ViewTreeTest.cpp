// Mouse and key routing through containers and the frame, and ownership of
// views as they are added, removed and closed.
#include <gtest/gtest.h>

#include <utility>

#include "GuiTestSupport.h"
#include "gui/CViewContainer.h"

using namespace guitest;
using Events = std::vector<std::string>;

TEST(ViewTree, TheTopmostChildTakesTheMouseAndKeepsItUntilRelease)
{
    FrameHolder frame(CRect(0, 0, 200, 100));
    auto* below = new ProbeView(CRect(0, 0, 100, 100));
    auto* above = new ProbeView(CRect(50, 0, 150, 100));
    frame->addView(below);
    frame->addView(above);
    auto take = [](ProbeView* v) { return std::exchange(v->events, {}); };

    EXPECT_EQ(mouseDown(frame.frame, 60, 10, kLButton | kDoubleClick | kShift), kMouseEventHandled);
    EXPECT_EQ(above->downButtons, std::vector<long>{kLButton | kDoubleClick | kShift});
    mouseUp(frame.frame, 60, 10);
    // A view that declines passes the click to the one beneath it.
    above->downResult = kMouseEventNotHandled;
    EXPECT_EQ(mouseDown(frame.frame, 60, 10), kMouseEventHandled);
    mouseUp(frame.frame, 60, 10);
    EXPECT_EQ(take(below), (Events{"down", "up"}));
    EXPECT_EQ(mouseDown(frame.frame, 180, 10), kMouseEventNotHandled);
    EXPECT_EQ(take(above), (Events{"entered", "down", "up", "down", "exited"}));

    // The view that took the down gets the moves, even outside the frame,
    // and the up; the hover still follows the pointer.
    above->downResult = kMouseEventHandled;
    mouseDown(frame.frame, 120, 10);
    mouseMoved(frame.frame, 20, 10);
    mouseMoved(frame.frame, 250, -20);
    EXPECT_EQ(above->lastWhere, CPoint(250, -20));
    mouseUp(frame.frame, 120, 10);
    EXPECT_EQ(take(above), (Events{"entered", "down", "exited", "moved", "moved", "up"}));
    // After release, moves go to the view under the pointer again.
    mouseMoved(frame.frame, 20, 10, 0);
    EXPECT_EQ(take(below), (Events{"entered", "exited", "entered", "moved"}));
    EXPECT_EQ(take(above), Events{});

    // Leaving the window ends the hover.
    CPoint outside(-1, -1);
    frame->onMouseExited(outside, 0);
    EXPECT_EQ(take(below), Events{"exited"});
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

    click(frame.frame, 10, 90); // far outside the modal view
    frame->onWheel(CPoint(10, 90), 1.f, 0);
    CKeyCode k = key('a');
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
}

TEST(ViewTree, CloseReleasesViewsBitmapsAndTheFrame)
{
    ResourceFolder folder;
    folder.writeStrip(7, 4, 4, {rgb(1, 2, 3)});
    auto* frame = new CFrame(CRect(0, 0, 50, 50), nullptr, nullptr);
    auto* bitmap = new CBitmap(7);
    frame->setBackground(bitmap);
    auto* box = new CViewContainer(CRect(0, 0, 50, 50));
    // The box first: it lets go of the two inside it when it goes.
    CView* views[] = {box, new ProbeView(CRect(0, 0, 10, 10)), new ProbeView(CRect(10, 0, 20, 10)),
                      new ProbeView(CRect(20, 0, 30, 10)), new ProbeView(CRect(0, 0, 50, 50))};
    views[1]->setBackground(bitmap);
    box->addView(views[1]);
    box->addView(views[2]);
    frame->addView(box);
    frame->addView(views[3]);
    frame->setModalView(views[4]);
    EXPECT_EQ(bitmap->getNbReference(), 3); // ours, the frame's and a view's

    // Extra references keep everything alive past the close, to see it let go.
    frame->remember();
    for (CView* v : views)
        v->remember();
    frame->close();
    EXPECT_EQ(frame->getNbReference(), 1);
    for (CView* v : views) {
        EXPECT_EQ(v->getNbReference(), 1);
        v->forget();
    }
    frame->forget();
    EXPECT_EQ(bitmap->getNbReference(), 1);
    bitmap->forget();
}
