// The on/off button, the about hot spot and the about box it opens.
#include <gtest/gtest.h>

#include <cmath>

#include "editor/CAbout.h"
#include "editor/CZYMOnOffButton.h"
#include "tests/gui/GuiTestSupport.h"

using namespace guitest;
using Values = std::vector<float>;
using Edits = std::vector<std::string>;

namespace {
struct ControlTest : ::testing::Test {
    uint32_t shown(int x, int y) { return pixelAt(frame->getOffscreenSurface(), x, y); }

    RecordingEditor editor;
    RecordingListener listener;
    FrameHolder frame{CRect(0, 0, 400, 200), &editor};
    ResourceFolder folder;
};
} // namespace

TEST_F(ControlTest, OnOffButtonTogglesOnLeftClicksOnly)
{
    const uint32_t off = rgb(20, 20, 90), on = rgb(90, 220, 90);
    folder.writeStrip(11510, 20, 10, {off, on});
    auto* bitmap = new CBitmap(CResourceDescription(11510));
    auto* button = new CZYMOnOffButton(CRect(10, 10, 30, 20), &listener, 12, bitmap);
    frame->addView(button);
    bitmap->forget();

    // before, the picture it shows, click, after: modifiers do not matter;
    // just under 0.5 is off.
    const struct { float before; uint32_t shows; long buttons; float after; } cases[] = {
        {0.3f, off, kLButton, 1.f}, {0.5f, on, kLButton, 0.f}, {0.7f, on, kLButton | kShift, 0.f},
        {0.49999997f, off, kLButton, 1.f}, {NAN, off, kLButton, 1.f},
    };
    for (const auto& c : cases) {
        button->setValue(c.before);
        EXPECT_EQ(shown(20, 15), c.shows) << c.before;
        EXPECT_EQ(mouseDown(frame.frame, 20, 15, c.buttons), kMouseDownEventHandledButDontNeedMovedOrUpEvents);
        EXPECT_EQ(button->getValue(), c.after) << c.before;
        EXPECT_EQ(listener.values.back(), c.after);
    }
    EXPECT_EQ(listener.values.size(), 5u);
    EXPECT_EQ(editor.edits.size(), 10u);
    EXPECT_EQ(mouseDown(frame.frame, 20, 15, kRButton), kMouseEventNotHandled);
    EXPECT_EQ(button->getValue(), 1.f);
}

// The hot spot at (34, 12)-(188, 31) opens a box over (0, 0)-(300, 150)
// showing the lower half of its bitmap, below a red one.
TEST_F(ControlTest, AboutBoxOpensOnClickClosesOnAnyLeftClickAndIsAlwaysReleased)
{
    const uint32_t paper = rgb(235, 235, 225);
    folder.writeStrip(11580, 300, 150, {rgb(200, 0, 0), paper});
    auto* splash = new CBitmap(CResourceDescription(11580));
    auto* about = new CAbout(CRect(34, 12, 188, 31), &listener, 61, splash, CRect(0, 0, 300, 150), CPoint(0, 150));
    frame->addView(about);
    const long splashRefs = splash->getNbReference();
    auto box = [&] { return frame->getModalView(); };

    // Refused while another view is modal (reached directly, since the frame
    // sends every click there): released, not reported, reads closed.
    auto* other = new CView(CRect(300, 150, 400, 200));
    ASSERT_TRUE(frame->setModalView(other));
    CPoint where(40, 20);
    about->onMouseDown(where, kLButton);
    EXPECT_FLOAT_EQ(about->getValue(), 0.f);
    EXPECT_EQ(box(), other);
    EXPECT_EQ(about->getNbReference(), 1);
    EXPECT_EQ(splash->getNbReference(), splashRefs);
    EXPECT_TRUE(listener.values.empty());
    frame->setModalView(nullptr);
    other->forget();

    EXPECT_EQ(shown(40, 20), rgb(0, 0, 0)); // the hot spot is invisible
    for (int round = 0; round < 2; ++round) {
        mouseDown(frame.frame, 40, 20);
        EXPECT_FLOAT_EQ(about->getValue(), 1.f);
        ASSERT_TRUE(box() && box()->isTypeOf("CSplashScreenMyView"));
        EXPECT_EQ(box()->getViewSize(), CRect(0, 0, 300, 150));
        EXPECT_EQ(shown(0, 0), paper);
        CView* open = box();
        mouseDown(frame.frame, 350, 180, kRButton); // swallowed
        EXPECT_EQ(box(), open);
        mouseDown(frame.frame, 350, 180); // outside the picture, still closes
        EXPECT_EQ(box(), nullptr);
        EXPECT_FLOAT_EQ(about->getValue(), 0.f);
        EXPECT_EQ(about->getNbReference(), 1); // the box held it while open
        EXPECT_EQ(splash->getNbReference(), splashRefs);
    }
    EXPECT_EQ(listener.values, (Values{1.f, 1.f}));
    EXPECT_TRUE(editor.edits.empty());

    // Closing the window with the box open releases it.
    mouseDown(frame.frame, 40, 20);
    ASSERT_NE(box(), nullptr);
    frame->close();
    frame.frame = nullptr;
    EXPECT_EQ(splash->getNbReference(), 1);
    splash->forget();
}
