// The overload lamp: its three pictures, how it keeps the previous value and
// what a click does.
#include <gtest/gtest.h>

#include <cmath>

#include "editor/CLED.h"
#include "tests/gui/GuiTestSupport.h"

using namespace guitest;

TEST(Lamp, ShowsOffHeldOrLitALeftClickTurnsItOffAndItReleasesItsBitmap)
{
    const uint32_t off = rgb(40, 0, 0), held = rgb(140, 60, 0), lit = rgb(255, 40, 40);
    ResourceFolder folder;
    folder.writeStrip(11520, 20, 10, {off, held, lit});
    RecordingEditor editor;
    RecordingListener listener;
    FrameHolder frame{CRect(0, 0, 50, 50), &editor};
    auto* bitmap = new CBitmap(CResourceDescription(11520));
    auto* lamp = new CLED(CRect(10, 10, 30, 20), &listener, 64, bitmap);
    frame->addView(lamp);
    const std::pair<float, uint32_t> cases[] = {{0.f, off},     {0.5f, held}, {0.5000001f, lit},
                                                {0.4999f, off}, {NAN, off},   {1.f, lit}};
    for (const auto& [value, shown] : cases) {
        lamp->setValue(value);
        EXPECT_EQ(lamp->getHold(), value == 0.5f);
        EXPECT_EQ(pixelAt(frame->getOffscreenSurface(), 20, 15), shown) << value;
    }
    // A new value makes it dirty; the same value again becomes the old one
    // and leaves it clean, drawn or not.
    lamp->setValue(0.f);
    EXPECT_TRUE(lamp->isDirty());
    lamp->setValue(0.f);
    EXPECT_FLOAT_EQ(lamp->getOldValue(), 0.f);
    EXPECT_FALSE(lamp->isDirty());

    // A left click turns it off from any state and tells the listener, but
    // not the host; the right button does nothing.
    for (float state : {0.f, 0.5f, 1.f}) {
        lamp->setValue(state);
        EXPECT_EQ(mouseDown(frame.frame, 20, 15, kLButton | kShift), kMouseDownEventHandledButDontNeedMovedOrUpEvents);
        EXPECT_EQ(lamp->getValue(), 0.f);
    }
    lamp->setValue(0.5f);
    EXPECT_EQ(mouseDown(frame.frame, 20, 15, kRButton), kMouseEventNotHandled);
    EXPECT_TRUE(lamp->getHold());
    EXPECT_EQ(listener.values, (std::vector<float>{0.f, 0.f, 0.f}));
    EXPECT_TRUE(editor.edits.empty());

    frame->removeView(lamp);
    EXPECT_EQ(bitmap->getNbReference(), 1);
    bitmap->forget();
}
