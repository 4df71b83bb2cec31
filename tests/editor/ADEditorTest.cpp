// The equaliser's window wired to the effect, off-screen: user changes reach
// the effect and the host as gestures, host changes reach the controls at the
// next idle (from any thread), and the lamp follows the output.
#include <algorithm>
#include <thread>

#include <gtest/gtest.h>

#include "editor/ADEditor.h"
#include "editor/CLED.h"
#include "plugin/Sylvatone.h"
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
