// The overload lamp: its three pictures, how it keeps the previous value and
// what a click does.
#include <gtest/gtest.h>

#include <cmath>

#include "editor/CLED.h"
#include "tests/gui/GuiTestSupport.h"

using namespace guitest;

namespace {
const uint32_t kOff = rgb(40, 0, 0), kHeld = rgb(140, 60, 0), kLit = rgb(255, 40, 40);

struct LampTest : ::testing::Test {
    RecordingEditor editor;
    RecordingListener listener;
    FrameHolder frame{CRect(0, 0, 50, 50), &editor};
};
} // namespace

TEST_F(LampTest, ShowsOffHeldOrLit)
{
    ResourceFolder folder;
    folder.writeStrip(11520, 20, 10, {kOff, kHeld, kLit});
    auto* bitmap = new CBitmap(CResourceDescription(11520));
    auto* lamp = new CLED(CRect(10, 10, 30, 20), &listener, 64, bitmap);
    frame->addView(lamp);
    const std::pair<float, uint32_t> cases[] = {{0.f, kOff},   {0.5f, kHeld}, {0.5000001f, kLit},
                                                {0.4999f, kOff}, {NAN, kOff},  {1.f, kLit}};
    for (const auto& [value, shown] : cases) {
        lamp->setValue(value);
        EXPECT_EQ(lamp->getHold(), value == 0.5f);
        EXPECT_EQ(pixelAt(frame->getOffscreenSurface(), 20, 15), shown) << value;
    }

    // A copy shares the bitmap by reference; the lamps release it as they go.
    CView* copy = lamp->newCopy();
    EXPECT_TRUE(copy->isTypeOf("CLED"));
    EXPECT_EQ(static_cast<CLED*>(copy)->getLitOffset(), CPoint(0, 20));
    EXPECT_EQ(bitmap->getNbReference(), 3);
    copy->forget();
    frame->removeView(lamp);
    EXPECT_EQ(bitmap->getNbReference(), 1);
    bitmap->forget();
}

TEST_F(LampTest, SameValueTwiceLeavesItClean)
{
    CLED lamp(CRect(0, 0, 20, 10), &listener, 64, nullptr);
    lamp.setValue(1.f);
    EXPECT_TRUE(lamp.isDirty());
    lamp.setValue(1.f);
    EXPECT_FLOAT_EQ(lamp.getOldValue(), 1.f);
    EXPECT_FALSE(lamp.isDirty());
}

TEST_F(LampTest, LeftClickTurnsItOffFromAnyState)
{
    auto* lamp = new CLED(CRect(10, 10, 30, 20), &listener, 64, nullptr);
    frame->addView(lamp);
    for (float state : {0.f, 0.5f, 1.f}) {
        lamp->setValue(state);
        EXPECT_EQ(mouseDown(frame.frame, 20, 15, kLButton | kShift),
                  kMouseDownEventHandledButDontNeedMovedOrUpEvents);
        EXPECT_EQ(lamp->getValue(), 0.f);
    }
    EXPECT_EQ(listener.values, (std::vector<float>{0.f, 0.f, 0.f}));
    lamp->setValue(0.5f);
    EXPECT_EQ(mouseDown(frame.frame, 20, 15, kRButton), kMouseEventNotHandled);
    EXPECT_TRUE(lamp->getHold());
    EXPECT_EQ(listener.values.size(), 3u);
    EXPECT_TRUE(editor.edits.empty());
}
