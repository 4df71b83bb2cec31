// The film-strip knob on an off-screen frame: drag arithmetic, fine mode,
// reset, wheel and the picture shown.
#include <gtest/gtest.h>

#include <cmath>

#include "editor/CAnimKnob3.h"
#include "tests/gui/GuiTestSupport.h"

using namespace guitest;
using Values = std::vector<float>;
using Edits = std::vector<std::string>;

namespace {
struct KnobTest : ::testing::Test {
    // A gain knob of the editor at (80, 80)-(120, 110), at half way.
    void SetUp() override
    {
        knob = new CAnimKnob3(CRect(80, 80, 120, 110), &listener, 6, 31, 30, nullptr, CPoint(80, 80));
        knob->rangeScale = 0.5;
        knob->setShiftZoom(2.0);
        knob->setValue(0.5f);
        frame->addView(knob);
    }
    // Presses at (100, 100) with the first step's buttons, moves by each
    // step's offset from there checking the value, and releases.
    struct Step { double dx, dy; long buttons; float value; };
    void drag(const std::vector<Step>& steps)
    {
        mouseDown(frame.frame, 100, 100, steps[0].buttons);
        for (const Step& s : steps) {
            mouseMoved(frame.frame, 100 + s.dx, 100 + s.dy, s.buttons);
            EXPECT_NEAR(knob->getValue(), s.value, 1e-6) << "at " << s.dx << ", " << s.dy;
        }
        mouseUp(frame.frame, 100 + steps.back().dx, 100 + steps.back().dy);
    }

    RecordingEditor editor;
    RecordingListener listener;
    FrameHolder frame{CRect(0, 0, 200, 200), &editor};
    CAnimKnob3* knob = nullptr;
};
const long kShiftL = kLButton | kShift;
} // namespace

TEST_F(KnobTest, DragTravelRatesAndModifierChanges)
{
    // 125 px up reaches the top; 50 more, then 50 back, change nothing.
    drag({{0, -125, kLButton, 1.f}, {0, -175, kLButton, 1.f}, {0, -125, kLButton, 1.f}, {0, -75, kLButton, 0.8f}});
    ASSERT_EQ(listener.values.size(), 2u); // only moves that changed it
    EXPECT_NEAR(listener.values[1], 0.8f, 1e-6);
    EXPECT_EQ(editor.edits, (Edits{"begin 6", "end 6"}));

    // Shift's first move still goes at the old rate, and so does the first
    // move after it is released; Alt keeps the rate.
    knob->setValue(0.5f);
    drag({{0, -50, kLButton, 0.7f}, {0, -51, kShiftL, 0.704f}, {0, -100, kShiftL, 0.802f},
          {0, -100, kShiftL, 0.802f}, {0, -125, kLButton, 0.852f}, {0, -130, kLButton | kAlt, 0.872f},
          {0, -135, kLButton, 0.892f}});
    EXPECT_EQ(editor.edits.size(), 4u);

    // A press before the previous release still leaves every begin paired.
    mouseDown(frame.frame, 100, 100);
    mouseDown(frame.frame, 100, 100);
    mouseUp(frame.frame, 100, 100);
    EXPECT_EQ(editor.edits, (Edits{"begin 6", "end 6", "begin 6", "end 6", "begin 6", "end 6", "begin 6", "end 6"}));

    // Rates follow the direction, Shift and the settings.
    const struct { double rangeScale, shiftZoom; float start; Step step; } cases[] = {
        {0.5, 2, 0.2f, {100, 0, kLButton, 0.4f}}, {0.5, 2, 0.2f, {100, 0, kShiftL, 0.3f}},
        {0.5, 1, 0.2f, {100, 0, kShiftL, 0.4f}},  {0.5, 2, 0.5f, {-30, 10, kLButton, 0.4f}},
        {1, 5, 0.2f, {100, 0, kLButton, 0.3f}},   {1, 5, 0.2f, {100, 0, kShiftL, 0.22f}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.rangeScale << " " << c.shiftZoom);
        knob->rangeScale = c.rangeScale;
        knob->setShiftZoom(c.shiftZoom);
        knob->setValue(c.start);
        drag({c.step});
    }
}

TEST_F(KnobTest, CtrlOrDoubleClickResetsWithoutADragAndTheWheelTurnsIt)
{
    knob->setValue(0.3f);
    EXPECT_EQ(mouseDown(frame.frame, 100, 100, kLButton | kControl), kMouseDownEventHandledButDontNeedMovedOrUpEvents);
    mouseMoved(frame.frame, 100, 90); // no drag follows
    EXPECT_FLOAT_EQ(knob->getValue(), 0.5f);
    mouseDown(frame.frame, 100, 100, kLButton | kDoubleClick); // already there: no news
    EXPECT_EQ(listener.values, (Values{0.5f}));
    EXPECT_EQ(editor.edits, (Edits{"begin 6", "end 6", "begin 6", "end 6"}));

    // After a finished drag, a press from elsewhere dragged across it does nothing.
    drag({{0, -10, kLButton, 0.54f}});
    EXPECT_EQ(mouseMoved(frame.frame, 100, 90), kMouseEventNotHandled);
    EXPECT_EQ(mouseDown(frame.frame, 100, 100, kRButton | kControl), kMouseEventNotHandled);
    EXPECT_FLOAT_EQ(knob->getValue(), 0.54f);
    EXPECT_EQ(editor.edits.size(), 6u);

    // The wheel: a hundredth per step, a thousandth with Shift, clamped; only
    // changes are reported, each as a gesture.
    const struct { float distance; long buttons; float value; } steps[] = {
        {3.f, 0, 0.57f}, {-3.f, kShift, 0.567f}, {50.f, 0, 1.f}, {1.f, 0, 1.f}};
    for (const auto& s : steps) {
        EXPECT_TRUE(frame->onWheel(CPoint(100, 100), s.distance, s.buttons));
        EXPECT_NEAR(knob->getValue(), s.value, 1e-6) << s.distance;
    }
    EXPECT_EQ(listener.values.size(), 5u); // already at the top: silent
    EXPECT_EQ(editor.edits.size(), 12u);
}

