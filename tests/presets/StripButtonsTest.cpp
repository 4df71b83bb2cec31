// The preset strip's buttons on an off-screen frame: what each press
// reports, and which picture each state shows.
#include <gtest/gtest.h>

#include "presets/CPSKickButton.h"
#include "presets/CPSRockerSwitch.h"
#include "presets/CSaveLoadButton.h"
#include "tests/gui/GuiTestSupport.h"

using namespace guitest;
using Values = std::vector<float>;

namespace {

const uint32_t kJunk = rgb(255, 0, 255), kIdle = rgb(30, 30, 30), kHover = rgb(60, 120, 200),
               kPressed = rgb(230, 200, 40), kRightHover = rgb(40, 160, 160), kRightPressed = rgb(40, 200, 40);

// Every button lies at (10, 10)-(40, 20) and shows 10-pixel pictures.
struct StripTest : ::testing::Test {
    uint32_t shown() { return pixelAt(frame->getOffscreenSurface(), 30, 15); }
    void hoverAt(double x) { mouseMoved(frame.frame, x, x > 50 ? 50 : 15, 0); }

    template <typename Button, typename... Args>
    Button* add(const std::vector<uint32_t>& pictures, Args... args)
    {
        folder.writeStrip(19990, 30, 10, pictures);
        auto* bitmap = new CBitmap(CResourceDescription(19990));
        auto* b = new Button(CRect(10, 10, 40, 20), &listener, 105, 10, bitmap, args...);
        frame->addView(b);
        bitmap->forget();
        return b;
    }

    RecordingEditor editor;
    RecordingListener listener;
    FrameHolder frame{CRect(0, 0, 200, 60), &editor};
    ResourceFolder folder;
};

}  // namespace

TEST_F(StripTest, DoubleClickButtonActsOnDoubleClicksOnlyAndCtrlAsksForRemoval)
{
    // The first picture is skipped through the bitmap offset.
    auto* b = add<CPSKickButton>({kJunk, kIdle, kHover, kPressed}, CPoint(0, 10), true);
    const std::pair<long, bool> presses[] = {{kLButton, false}, {kLButton | kControl, false},
                                             {kRButton | kDoubleClick, false}, {kLButton | kDoubleClick, true},
                                             {kLButton | kDoubleClick | kControl, true}};
    for (const auto& [buttons, acts] : presses) {
        EXPECT_EQ(mouseDown(frame.frame, 30, 15, buttons),
                  acts ? kMouseEventHandled : kMouseDownEventHandledButDontNeedMovedOrUpEvents);
        EXPECT_EQ(shown(), acts ? kPressed : kHover) << buttons;
        mouseUp(frame.frame, 30, 15, buttons);
        EXPECT_EQ(b->getValue(), 0.f);
        EXPECT_EQ(shown(), kHover);
    }
    EXPECT_EQ(listener.values, (Values{1.f, 0.5f}));
    // The strip's tags are not parameters: the host hears no gestures.
    EXPECT_TRUE(editor.edits.empty());
}

TEST_F(StripTest, SaveLoadButtonGivesHalfOnlyForABareRightClick)
{
    auto* b = add<CSaveLoadButton>({kIdle, kHover, kPressed}, CPoint(0, 0));
    for (int buttons : {+kRButton, kRButton | kShift, kRButton | kDoubleClick, +kLButton, +kMButton})
        mouseDown(frame.frame, 30, 15, buttons);
    EXPECT_EQ(listener.values, (Values{0.5f, 1.f, 1.f, 1.f}));
    EXPECT_EQ(shown(), kHover);  // sprung back
    hoverAt(100);
    EXPECT_EQ(shown(), kIdle);
    b->setValue(1.f);  // while a dialog opened by the report is up
    EXPECT_EQ(shown(), kPressed);
    b->setListener(nullptr);
    EXPECT_EQ(mouseDown(frame.frame, 30, 15), kMouseEventNotHandled);
}

