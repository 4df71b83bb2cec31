// The preset strip's buttons driven through an off-screen frame: what each
// press reports, and which picture each state shows.
#include <gtest/gtest.h>

#include <fontconfig/fontconfig.h>

#include <functional>

#include "presets/CPSKickButton.h"
#include "presets/CPSRockerSwitch.h"
#include "presets/CSaveLoadButton.h"
#include "tests/gui/GuiTestSupport.h"

using namespace guitest;
using Values = std::vector<float>;

namespace {
// cairo and fontconfig cache fonts until exit; emptying the caches after the
// last test leaves the leak checker only what the controls failed to release.
struct FontCaches : ::testing::Environment {
    void TearDown() override
    {
        cairo_debug_reset_static_data();
        FcFini();
    }
};
const auto* const fontCaches = ::testing::AddGlobalTestEnvironment(new FontCaches);

const uint32_t kJunk = rgb(255, 0, 255), kIdle = rgb(30, 30, 30), kHover = rgb(60, 120, 200),
               kPressed = rgb(230, 200, 40), kLeftPressed = rgb(200, 40, 40),
               kRightPressed = rgb(40, 200, 40), kLeftHover = rgb(90, 40, 160),
               kRightHover = rgb(40, 160, 160);

// A listener that can also act while it is told, as the editor does.
struct Listener : RecordingListener {
    void valueChanged(CControl* control) override
    {
        RecordingListener::valueChanged(control);
        if (onChange)
            onChange();
    }
    std::function<void()> onChange;
};

struct StripTest : ::testing::Test {
    uint32_t shown(int x, int y) { return pixelAt(frame->getOffscreenSurface(), x, y); }
    void hoverAt(double x, double y) { mouseMoved(frame.frame, x, y, 0); }

    template <typename Button, typename... Args>
    Button* add(int id, const std::vector<uint32_t>& pictures, const CRect& r, Args... args)
    {
        folder.writeStrip(id, static_cast<int>(r.getWidth()), 10, pictures);
        auto* bitmap = new CBitmap(CResourceDescription(id));
        auto* b = new Button(r, &listener, 100 + id % 100, 10, bitmap, args...);
        frame->addView(b);
        bitmap->forget();
        return b;
    }

    RecordingEditor editor;
    Listener listener;
    FrameHolder frame{CRect(0, 0, 200, 60), &editor};
    ResourceFolder folder;
};

// Kick buttons at (10, 10)-(30, 20); the first picture is skipped through
// the bitmap offset.
struct KickTest : StripTest {
    CPSKickButton* kick(bool doubleClickMode)
    {
        return add<CPSKickButton>(19990, {kJunk, kIdle, kHover, kPressed}, CRect(10, 10, 30, 20),
                                  CPoint(0, 10), doubleClickMode);
    }
};
} // namespace

TEST_F(KickTest, DoubleClickModeActsOnlyOnDoubleClicksAndCtrlAsksForRemoval)
{
    auto* b = kick(true);
    const struct {
        long buttons;
        bool acts;
    } presses[] = {{kLButton, false},
                   {kLButton | kControl, false},
                   {kRButton | kDoubleClick, false},
                   {kLButton | kDoubleClick, true},
                   {kLButton | kDoubleClick | kControl, true},
                   {kLButton | kDoubleClick | kShift, true}};
    for (const auto& p : presses) {
        const size_t before = listener.values.size();
        const CMouseEventResult r = mouseDown(frame.frame, 20, 15, p.buttons);
        EXPECT_EQ(listener.values.size(), before + (p.acts ? 1 : 0)) << p.buttons;
        EXPECT_EQ(r, p.acts ? kMouseEventHandled : kMouseDownEventHandledButDontNeedMovedOrUpEvents);
        EXPECT_EQ(shown(20, 15), p.acts ? kPressed : kHover) << p.buttons;
        mouseUp(frame.frame, 20, 15, p.buttons);
        EXPECT_EQ(b->getValue(), 0.f);
        EXPECT_EQ(shown(20, 15), kHover);
    }
    EXPECT_EQ(listener.values, (Values{1.f, 0.5f, 1.f}));
    // The strip's tags are not parameters: the host hears no gestures.
    EXPECT_TRUE(editor.edits.empty());
}

TEST_F(KickTest, SingleClickReportsOnceOnThePressAndDraggingChangesNothing)
{
    auto* b = kick(false);
    EXPECT_EQ(shown(20, 15), kIdle);

    // Ctrl means nothing outside double-click mode.
    mouseDown(frame.frame, 20, 15, kLButton | kControl);
    EXPECT_EQ(b->getValue(), 1.f);
    mouseMoved(frame.frame, 150, 50, kLButton); // dragged off the button
    EXPECT_EQ(b->getValue(), 1.f);
    EXPECT_EQ(shown(20, 15), kPressed);
    mouseUp(frame.frame, 150, 50, kLButton); // still reaches the button
    EXPECT_EQ(b->getValue(), 0.f);
    EXPECT_EQ(shown(20, 15), kIdle);

    EXPECT_EQ(mouseDown(frame.frame, 20, 15, kRButton), kMouseDownEventHandledButDontNeedMovedOrUpEvents);
    EXPECT_EQ(listener.values, (Values{1.f}));
    EXPECT_EQ(listener.tags, (std::vector<long>{190}));
}

TEST_F(KickTest, HoverFollowsThePointerAndReleaseUndoesAPress)
{
    auto* b = kick(false);
    hoverAt(20, 15);
    EXPECT_EQ(shown(20, 15), kHover);
    hoverAt(100, 40);
    EXPECT_EQ(shown(20, 15), kIdle);

    // The editor releases the manual button from inside its own report.
    listener.onChange = [b] { b->release(); };
    mouseDown(frame.frame, 20, 15);
    EXPECT_EQ(b->getValue(), 0.f);
    EXPECT_EQ(shown(20, 15), kHover);
    mouseUp(frame.frame, 20, 15);
    EXPECT_EQ(shown(20, 15), kHover);
    EXPECT_EQ(listener.values, (Values{1.f}));
}

TEST_F(StripTest, SaveLoadButtonGivesHalfOnlyForABareRightClick)
{
    auto* b = add<CSaveLoadButton>(19993, {kIdle, kHover, kPressed}, CRect(10, 10, 30, 20), CPoint(0, 0));
    const struct {
        long buttons;
        float reported;
    } presses[] = {{kRButton, 0.5f},          {kRButton | kShift, 1.f}, {kRButton | kControl, 1.f},
                   {kRButton | kDoubleClick, 1.f}, {kLButton, 1.f},          {kLButton | kRButton, 1.f}};
    for (const auto& p : presses) {
        listener.values.clear();
        EXPECT_EQ(mouseDown(frame.frame, 20, 15, p.buttons), kMouseDownEventHandledButDontNeedMovedOrUpEvents);
        EXPECT_EQ(listener.values, (Values{p.reported})) << p.buttons;
        EXPECT_EQ(b->getValue(), 0.f);
        EXPECT_EQ(shown(20, 15), kHover);
    }

    listener.values.clear();
    EXPECT_EQ(mouseDown(frame.frame, 20, 15, kMButton), kMouseEventNotHandled);
    b->setListener(nullptr);
    EXPECT_EQ(mouseDown(frame.frame, 20, 15, kLButton), kMouseEventNotHandled);
    EXPECT_TRUE(listener.values.empty());

    hoverAt(100, 40);
    EXPECT_EQ(shown(20, 15), kIdle);
    b->setValue(1.f);
    EXPECT_EQ(shown(20, 15), kPressed);

    VstKeyCode k = key('a');
    EXPECT_EQ(b->onKeyDown(k), -1);
    EXPECT_EQ(b->onKeyUp(k), -1);
    EXPECT_TRUE(editor.edits.empty());
}

// A rocker at (10, 10)-(40, 20): the left half is x < 25.
TEST_F(StripTest, RockerReportsTheHalfPressedAndShowsHoverAndPress)
{
    auto* r = add<CPSRockerSwitch>(19997, {kIdle, kLeftHover, kRightHover, kLeftPressed, kRightPressed},
                                   CRect(10, 10, 40, 20), CPoint(0, 0), long(kHorizontal));
    hoverAt(12, 15);
    EXPECT_EQ(shown(30, 15), kLeftHover);
    hoverAt(25, 15); // the middle belongs to the right half
    EXPECT_EQ(shown(30, 15), kRightHover);
    hoverAt(24.5, 15);
    EXPECT_EQ(shown(30, 15), kLeftHover);

    EXPECT_EQ(mouseDown(frame.frame, 24.5, 15), kMouseEventHandled);
    EXPECT_EQ(shown(30, 15), kLeftPressed);
    mouseMoved(frame.frame, 38, 15, kLButton); // held: neither press nor hover moves
    EXPECT_EQ(r->getValue(), -1.f);
    EXPECT_EQ(shown(30, 15), kLeftPressed);
    mouseUp(frame.frame, 38, 15);
    EXPECT_EQ(r->getValue(), 0.f);
    EXPECT_EQ(shown(30, 15), kLeftHover);

    mouseDown(frame.frame, 25, 15);
    EXPECT_EQ(shown(30, 15), kRightPressed);
    mouseUp(frame.frame, 25, 15);
    hoverAt(100, 40);
    EXPECT_EQ(shown(30, 15), kIdle);

    EXPECT_EQ(mouseDown(frame.frame, 12, 15, kRButton), kMouseEventNotHandled);
    EXPECT_EQ(listener.values, (Values{-1.f, 1.f}));
    EXPECT_TRUE(editor.edits.empty());
}
