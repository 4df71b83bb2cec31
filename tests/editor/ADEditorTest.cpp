// The equaliser's window wired to the effect, off-screen: user changes reach
// the effect and the host as gestures, host changes reach the controls at the
// next idle (from any thread), and the lamp follows the output.
#include <algorithm>
#include <thread>

#include <gtest/gtest.h>

#include "editor/ADEditor.h"
#include "editor/CLED.h"
#include "plugin/Sylvatone.h"
#include "resources/Layout.h"
#include "shell/BundleReference.h"
#include "tests/gui/GuiTestSupport.h"

using namespace guitest;

namespace {

// (opcode, index) of every call the effect made to the host.
std::vector<std::pair<int32_t, int32_t>> gCalls;

intptr_t recordingHost(AEffect*, int32_t opcode, int32_t index, intptr_t, void*, float)
{
    gCalls.push_back({opcode, index});
    return opcode == audioMasterVersion ? 2400 : 0;
}

struct EditorWiring : ::testing::Test {
    void SetUp() override
    {
        useBundleFolder(SYLVATONE_BUNDLE_DIR);
        fx = static_cast<Sylvatone*>(createEffectInstance(recordingHost));
        fx->resume();
        editor = static_cast<ADEditor*>(fx->getEditor());
        ASSERT_TRUE(editor->open(nullptr));
        frame = editor->getFrame();
        gCalls.clear();
    }
    void TearDown() override
    {
        delete fx;
        useBundleFolder("");
    }
    Sylvatone* fx = nullptr;
    ADEditor* editor = nullptr;
    CFrame* frame = nullptr;
};

}  // namespace

TEST_F(EditorWiring, AKnobDragIsOneGestureThatMovesTheEngineAndSwitchesSetTheirSteps)
{
    const CRect knob = editor->controlFor(kParamLfGain)->getViewSize();
    const double x = (knob.left + knob.right) / 2, y = (knob.top + knob.bottom) / 2;
    mouseDown(frame, x, y);
    for (int step = 1; step <= 10; ++step)
        mouseMoved(frame, x, y - 5 * step); // 50 px up in all: +0.2
    mouseUp(frame, x, y - 50, 0);
    // One gesture: begin, ten automated values, end, and nothing else.
    std::vector<std::pair<int32_t, int32_t>> gesture(12, {audioMasterAutomate, kParamLfGain});
    gesture.front().first = audioMasterBeginEdit;
    gesture.back().first = audioMasterEndEdit;
    EXPECT_EQ(gCalls, gesture);
    EXPECT_NEAR(fx->getParameter(kParamLfGain), 0.7f, 1e-5);
    EXPECT_NEAR(fx->getParameterValue(kParamLfGain), 6.0f, 1e-5); // 0.5 dB steps

    // The right-hand end of the low-mid frequency switch is its last step.
    const CRect r = editor->controlFor(kParamLmfFreq)->getViewSize();
    click(frame, r.right - 2, (r.top + r.bottom) / 2);
    EXPECT_EQ(fx->getParameterValue(kParamLmfFreq), 900.0f);
}

TEST_F(EditorWiring, HostChangesReachTheControlsAtTheNextIdle)
{
    std::thread automation([&] {
        fx->setParameter(kParamHfGain, 0.8f);
        fx->setParameter(kParamLf, 0.0f);
        fx->setParameter(2, 0.3f); // no control: only a redraw
    });
    automation.join();
    EXPECT_EQ(editor->controlFor(kParamHfGain)->getValue(), 0.5f); // not yet
    editor->idle();
    EXPECT_EQ(editor->controlFor(kParamHfGain)->getValue(), 0.8f);
    EXPECT_EQ(editor->controlFor(kParamLf)->getValue(), 0.0f);

    fx->setPresetNo(3); // a program change moves every control
    editor->idle();
    EXPECT_EQ(editor->controlFor(kParamHmfGain)->getValue(), fx->getParameter(kParamHmfGain));
    EXPECT_EQ(editor->controlFor(kParamLmf)->getValue(), 0.0f);
}

TEST_F(EditorWiring, TheLampLightsFromThePeakHoldsAndClearsOnALeftClick)
{
    std::vector<double> loud(64, 1.2), out(64);
    double* in[2] = {loud.data(), loud.data()};
    double* o[2] = {out.data(), out.data()};
    fx->processDoubleReplacing(in, o, 64);
    fx->processDoubleReplacing(in, o, 64); // past the latency
    auto* led = static_cast<CLED*>(frame->getViewAt(CPoint(700, 40)));
    ASSERT_NE(led, nullptr);
    const struct { long buttons; float shown; } steps[] = {{0, 1.0f}, {0, 0.5f}, {kRButton, 0.5f}, {kLButton, 0.0f}};
    for (const auto& s : steps) {
        click(frame, 700, 40, s.buttons); // no buttons: no click
        editor->idle();
        EXPECT_EQ(led->getValue(), s.shown) << s.buttons;
    }
    EXPECT_EQ(fx->getOutputPeak(), 0.0);
}

// Every control of the window's layout belongs to its own parameter, both
// ways: it sits at its place, a host change reaches it at the next idle, and
// the user moving it reaches the effect and the host under its tag.
TEST_F(EditorWiring, EveryControlOfTheLayoutIsWiredToItsParameterBothWays)
{
    for (const layout::Control& c : layout::kControls) {
        SCOPED_TRACE("tag " + std::to_string(c.tag));
        CControl* control = editor->controlFor(c.tag);
        ASSERT_NE(control, nullptr);
        const CRect r = control->getViewSize();
        EXPECT_EQ(CPoint(r.left, r.top), CPoint(c.x, c.y));
        EXPECT_EQ(frame->getViewAt(CPoint((r.left + r.right) / 2, (r.top + r.bottom) / 2)), control);

        const float fromHost = fx->getParameter(c.tag) < 0.5f ? 1.0f : 0.0f;
        fx->setParameter(c.tag, fromHost);
        editor->idle();
        EXPECT_EQ(control->getValue(), fromHost);

        gCalls.clear();
        control->setValue(1.0f - fromHost);
        editor->valueChanged(control);
        EXPECT_EQ(fx->getParameter(c.tag), 1.0f - fromHost);
        EXPECT_EQ(gCalls, (std::vector<std::pair<int32_t, int32_t>>{{audioMasterAutomate, c.tag}}));
    }
}

// A host change redraws the whole window (values without a control of
// their own show elsewhere), and moving the output redraws the lamp beside it.
TEST_F(EditorWiring, ChangesMarkWhatMustBeRedrawn)
{
    editor->idle();
    cairo_surface_t* surface = frame->getOffscreenSurface();
    const uint32_t panel = pixelAt(surface, 3, 3);
    cairo_t* cr = cairo_create(surface);
    cairo_set_source_rgb(cr, 1, 0, 1);
    cairo_rectangle(cr, 3, 3, 1, 1);
    cairo_fill(cr);
    cairo_destroy(cr);
    cairo_surface_mark_dirty(surface);
    fx->setParameter(2, 0.3f);  // no control of its own
    editor->idle();
    EXPECT_EQ(pixelAt(frame->getOffscreenSurface(), 3, 3), panel);

    auto* lamp = static_cast<CLED*>(frame->getViewAt(CPoint(layout::kLampX + 2, layout::kLampY + 2)));
    ASSERT_NE(lamp, nullptr);
    editor->idle();
    ASSERT_FALSE(lamp->isDirty());
    CControl* output = editor->controlFor(kParamOutput);
    output->setValue(0.7f);
    editor->valueChanged(output);
    EXPECT_TRUE(lamp->isDirty());
}
