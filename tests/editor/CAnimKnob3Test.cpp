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
class KnobTest : public ::testing::Test {
protected:
    // A gain knob of the editor at (80, 80)-(120, 110).
    CAnimKnob3* addKnob(float value, CBitmap* strip = nullptr)
    {
        knob = new CAnimKnob3(CRect(80, 80, 120, 110), &listener, 6, 31, 30, strip, CPoint(80, 80));
        knob->rangeScale = 0.5;
        knob->setShiftZoom(2.0);
        knob->setValue(value);
        frame->addView(knob);
        return knob;
    }
    void drag(double dx, double dy, long buttons = kLButton)
    {
        mouseDown(frame.frame, 100, 100, buttons);
        mouseMoved(frame.frame, 100 + dx, 100 + dy, buttons);
        mouseUp(frame.frame, 100 + dx, 100 + dy, buttons);
    }

    RecordingEditor editor;
    RecordingListener listener;
    FrameHolder frame{CRect(0, 0, 200, 200), &editor};
    CAnimKnob3* knob = nullptr;
};
} // namespace

TEST_F(KnobTest, TravelPastAnEndMustBeUndoneBeforeTheValueMoves)
{
    addKnob(0.5f);
    mouseDown(frame.frame, 100, 100);
    for (double y : {-25., -75., -25.}) { // 125 px up, 50 more, 50 back
        mouseMoved(frame.frame, 100, y);
        EXPECT_FLOAT_EQ(knob->getValue(), 1.f);
    }
    mouseMoved(frame.frame, 100, 25);
    mouseUp(frame.frame, 100, 25);
    EXPECT_NEAR(knob->getValue(), 0.8f, 1e-6);
    ASSERT_EQ(listener.values.size(), 2u); // only moves that changed it
    EXPECT_NEAR(listener.values[1], 0.8f, 1e-6);
    EXPECT_EQ(editor.edits, (Edits{"begin 6", "end 6"}));

    // A press before the previous release still leaves every begin paired.
    mouseDown(frame.frame, 100, 100);
    mouseDown(frame.frame, 100, 100);
    mouseUp(frame.frame, 100, 100);
    EXPECT_EQ(editor.edits, (Edits{"begin 6", "end 6", "begin 6", "end 6", "begin 6", "end 6"}));
}

TEST_F(KnobTest, RatesFollowDirectionShiftAndSettings)
{
    const struct {
        double rangeScale, shiftZoom;
        long modifiers;
        float start;
        double dx, dy;
        float expected;
    } cases[] = {
        {0.5, 2, 0, 0.2f, 100, 0, 0.4f},      {0.5, 2, kShift, 0.2f, 100, 0, 0.3f},
        {0.5, 1, kShift, 0.2f, 100, 0, 0.4f}, {0.5, 2, 0, 0.5f, -30, 10, 0.4f},
        {1, 5, 0, 0.2f, 100, 0, 0.3f},        {1, 5, kShift, 0.2f, 100, 0, 0.22f},
    };
    addKnob(0.f);
    for (const auto& c : cases) {
        knob->rangeScale = c.rangeScale;
        knob->setShiftZoom(c.shiftZoom);
        knob->setValue(c.start);
        drag(c.dx, c.dy, kLButton | c.modifiers);
        EXPECT_NEAR(knob->getValue(), c.expected, 1e-6) << c.rangeScale << " " << c.shiftZoom;
    }
}

TEST_F(KnobTest, ModifierChangesMidDragNeverJump)
{
    addKnob(0.5f);
    const long shift = kLButton | kShift;
    // y, buttons, value: Shift's first move still goes at the old rate, and
    // so does the first move after it is released; Alt keeps the rate.
    const struct {
        double y;
        long buttons;
        float value;
    } steps[] = {{50, kLButton, 0.7f},     {49, shift, 0.704f},
                 {0, shift, 0.802f},       {0, shift, 0.802f},
                 {-25, kLButton, 0.852f},  {-30, kLButton | kAlt, 0.872f},
                 {-35, kLButton, 0.892f}};
    mouseDown(frame.frame, 100, 100);
    for (const auto& s : steps) {
        mouseMoved(frame.frame, 100, s.y, s.buttons);
        EXPECT_NEAR(knob->getValue(), s.value, 1e-5) << "at y " << s.y;
    }
    mouseUp(frame.frame, 100, -35);
    EXPECT_EQ(editor.edits, (Edits{"begin 6", "end 6"}));
}

TEST_F(KnobTest, CtrlOrDoubleClickResetsWithoutADrag)
{
    addKnob(0.3f);
    EXPECT_EQ(mouseDown(frame.frame, 100, 100, kLButton | kControl),
              kMouseDownEventHandledButDontNeedMovedOrUpEvents);
    mouseMoved(frame.frame, 100, 90); // no drag follows
    EXPECT_FLOAT_EQ(knob->getValue(), 0.5f);
    mouseDown(frame.frame, 100, 100, kLButton | kDoubleClick); // already there: no news
    EXPECT_EQ(listener.values, (Values{0.5f}));
    EXPECT_EQ(editor.edits, (Edits{"begin 6", "end 6", "begin 6", "end 6"}));

    // After a finished drag, a press from elsewhere dragged across it does nothing.
    drag(0, -10);
    const float after = knob->getValue();
    EXPECT_EQ(mouseMoved(frame.frame, 100, 90), kMouseEventNotHandled);
    EXPECT_FLOAT_EQ(knob->getValue(), after);

    EXPECT_EQ(mouseDown(frame.frame, 100, 100, kRButton | kControl), kMouseEventNotHandled);
    knob->setListener(nullptr);
    EXPECT_EQ(mouseDown(frame.frame, 100, 100), kMouseEventNotHandled);
    EXPECT_FLOAT_EQ(knob->getValue(), after);
    EXPECT_EQ(editor.edits.size(), 6u);
}

TEST_F(KnobTest, WheelStepsAreClampedAndOnlyChangesReported)
{
    addKnob(0.5f);
    const CPoint at(100, 100);
    frame->onWheel(at, 3.f, 0);
    EXPECT_NEAR(knob->getValue(), 0.53f, 1e-6);
    frame->onWheel(at, -3.f, kShift);
    EXPECT_NEAR(knob->getValue(), 0.527f, 1e-6);
    knob->setValue(0.995f);
    EXPECT_TRUE(frame->onWheel(at, 1.f, 0));
    EXPECT_TRUE(frame->onWheel(at, 1.f, 0)); // already at the top: silent
    EXPECT_FLOAT_EQ(knob->getValue(), 1.f);
    EXPECT_EQ(listener.values.size(), 3u);
    EXPECT_EQ(editor.edits.size(), 6u);

    knob->setListener(nullptr); // still turns, telling no one
    frame->onWheel(at, -1.f, 0);
    EXPECT_NEAR(knob->getValue(), 0.99f, 1e-6);
    EXPECT_EQ(editor.edits.size(), 6u);
}

TEST_F(KnobTest, ShowsTheFrameForItsValue)
{
    ResourceFolder folder;
    std::vector<uint32_t> colours;
    for (int i = 0; i < 31; ++i)
        colours.push_back(rgb(static_cast<uint8_t>(i * 8), 100, 0));
    folder.writeStrip(11562, 40, 30, colours);
    auto* strip = new CBitmap(CResourceDescription(11562));
    addKnob(0.f, strip);
    strip->forget();
    // 0.35f * 30 is just under 10.5 exactly but 10.5 in float: frame 11.
    const std::pair<float, int> cases[] = {{0.f, 0},   {1.f, 30},    {0.5f, 15}, {1e-6f, 0},
                                           {0.02f, 1}, {0.35f, 11}, {1.5f, 30}, {NAN, 0}};
    for (const auto& [value, index] : cases) {
        knob->setValue(value);
        EXPECT_EQ(pixelAt(frame->getOffscreenSurface(), 100, 95), colours[size_t(index)]) << value;
    }
}
