// The on/off button, the about hot spot and the about box it opens.
#include <gtest/gtest.h>

#include <cmath>
#include <fontconfig/fontconfig.h>

#include "editor/CAbout.h"
#include "editor/CSplashScreenMyView.h"
#include "editor/CZYMOnOffButton.h"
#include "tests/gui/GuiTestSupport.h"

using namespace guitest;
using Values = std::vector<float>;
using Edits = std::vector<std::string>;

namespace {
// The about box draws text; cairo and fontconfig cache fonts until exit.
// Emptying the caches after the last test leaves the leak checker only what
// the controls failed to release.
struct FontCaches : ::testing::Environment {
    void TearDown() override
    {
        cairo_debug_reset_static_data();
        FcFini();
    }
};
const auto* const fontCaches = ::testing::AddGlobalTestEnvironment(new FontCaches);

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

    // before, click, after: modifiers do not matter; just under 0.5 is off.
    const struct {
        float before;
        long buttons;
        float after;
    } cases[] = {{0.3f, kLButton, 1.f},         {0.5f, kLButton, 0.f},
                 {0.7f, kLButton | kShift, 0.f}, {0.49999997f, kLButton, 1.f},
                 {NAN, kLButton, 1.f}};
    for (const auto& c : cases) {
        button->setValue(c.before);
        EXPECT_EQ(mouseDown(frame.frame, 20, 15, c.buttons),
                  kMouseDownEventHandledButDontNeedMovedOrUpEvents);
        EXPECT_EQ(button->getValue(), c.after) << c.before;
        EXPECT_EQ(listener.values.back(), c.after);
    }
    EXPECT_EQ(listener.values.size(), 5u);
    EXPECT_EQ(editor.edits.size(), 10u);
    EXPECT_EQ(editor.edits[8], "begin 12");

    EXPECT_EQ(mouseDown(frame.frame, 20, 15, kRButton), kMouseEventNotHandled);
    EXPECT_EQ(button->getValue(), 1.f);
    for (const auto& [value, picture] : {std::pair{0.5f, on}, {0.49f, off}, {NAN, off}}) {
        button->setValue(value);
        EXPECT_EQ(shown(20, 15), picture) << value;
    }
}

namespace {
const uint32_t kPaper = rgb(235, 235, 225);

// A hot spot at (34, 12)-(188, 31) whose box covers (0, 0)-(300, 150); the
// splash picture has a red 10 px margin on the left that the offset skips.
struct AboutTest : ControlTest {
    void SetUp() override
    {
        folder.writeStrip(11580, 310, 150, {kPaper});
        splash = new CBitmap(CResourceDescription(11580));
        cairo_t* cr = cairo_create(splash->getSurface());
        cairo_set_source_rgb(cr, 0.8, 0, 0);
        cairo_rectangle(cr, 0, 0, 10, 150);
        cairo_fill(cr);
        cairo_destroy(cr);
        about = new CAbout(CRect(34, 12, 188, 31), &listener, 61, splash, CRect(0, 0, 300, 150),
                           CPoint(10, 0));
        frame->addView(about);
    }
    void TearDown() override { splash->forget(); }
    CView* box() const { return frame->getModalView(); }

    CBitmap* splash = nullptr;
    CAbout* about = nullptr;
};
} // namespace

TEST_F(AboutTest, OpensOnClickAndAnyLeftClickClosesIt)
{
    const long splashRefs = splash->getNbReference();
    EXPECT_EQ(shown(40, 20), rgb(0, 0, 0)); // the hot spot is invisible
    for (int round = 0; round < 2; ++round) {
        mouseDown(frame.frame, 40, 20);
        EXPECT_FLOAT_EQ(about->getValue(), 1.f);
        ASSERT_TRUE(box() && box()->isTypeOf("CSplashScreenMyView"));
        EXPECT_EQ(box()->getViewSize(), CRect(0, 0, 300, 150));
        EXPECT_EQ(shown(0, 0), kPaper);

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
}

TEST_F(AboutTest, VersionSitsRightOfCentreNearTheTop)
{
    EXPECT_EQ(CSplashScreenMyView::versionTextRect(CRect(1, 2, 8, 9)), CRect(69, -42, 108, -32));
    mouseDown(frame.frame, 40, 20);
    int ink = 0; // text rectangle (215, 28)-(254, 38)
    for (int y = 28; y < 38; ++y)
        for (int x = 215; x < 254; ++x)
            ink += (shown(x, y) & 0xff) < 150;
    EXPECT_GT(ink, 10);
    for (int x = 200; x < 270; ++x)
        EXPECT_TRUE(shown(x, 26) == kPaper && shown(x, 40) == kPaper) << x;
}

TEST_F(AboutTest, RefusedBoxIsReleasedAndNotReported)
{
    const long splashRefs = splash->getNbReference();
    auto* other = new CView(CRect(300, 150, 400, 200));
    ASSERT_TRUE(frame->setModalView(other));
    // Reached directly: the frame sends every click to the other view.
    CPoint where(40, 20);
    about->onMouseDown(where, kLButton);
    EXPECT_FLOAT_EQ(about->getValue(), 0.f);  // no box: reads closed
    EXPECT_EQ(box(), other);
    EXPECT_EQ(about->getNbReference(), 1);
    EXPECT_EQ(splash->getNbReference(), splashRefs);
    EXPECT_TRUE(listener.values.empty());
    frame->setModalView(nullptr);
    other->forget();

    about->setValue(1.f);            // set from outside: a click only resets
    mouseDown(frame.frame, 40, 20);
    EXPECT_FLOAT_EQ(about->getValue(), 0.f);
    EXPECT_EQ(box(), nullptr);
    EXPECT_EQ(mouseDown(frame.frame, 40, 20, kRButton), kMouseEventNotHandled);
    about->setListener(nullptr);
    EXPECT_EQ(mouseDown(frame.frame, 40, 20), kMouseEventNotHandled);
    EXPECT_EQ(box(), nullptr);

    // Outside any frame nothing opens and the spot stays closed.
    auto* loose = new CAbout(CRect(0, 0, 9, 9), &listener, 61, splash, CRect(0, 0, 9, 9), CPoint());
    loose->onMouseDown(where, kLButton);
    EXPECT_FLOAT_EQ(loose->getValue(), 0.f);
    EXPECT_EQ(loose->getNbReference(), 1);
    loose->forget();
    EXPECT_TRUE(listener.values.empty());
}

TEST_F(AboutTest, ClosingTheWindowWithTheBoxOpenReleasesIt)
{
    mouseDown(frame.frame, 40, 20);
    ASSERT_NE(box(), nullptr);
    frame->close();
    frame.frame = nullptr;
    EXPECT_EQ(splash->getNbReference(), 1);
}
