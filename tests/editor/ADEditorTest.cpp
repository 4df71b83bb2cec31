// The equaliser's window wired to the effect, off-screen: user changes reach
// the effect and the host as gestures, host changes reach the controls at the
// next idle (from any thread), the lamp follows the output, the read-outs
// show the latency.
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "editor/ADEditor.h"
#include "editor/CLED.h"
#include "engine/Sylvatone.h"
#include "gui/CFrame.h"
#include "shell/BundleReference.h"

namespace {

struct Call {
    int32_t opcode, index;
    float opt;
};
std::vector<Call> gCalls;

intptr_t recordingHost(AEffect*, int32_t opcode, int32_t index, intptr_t, void*, float opt)
{
    gCalls.push_back({opcode, index, opt});
    return opcode == audioMasterVersion ? 2400 : 0;
}

class EditorWiring : public ::testing::Test {
protected:
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
    CPoint centre(int tag)
    {
        const CRect r = editor->controlFor(tag)->getViewSize();
        return CPoint((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    }
    int count(int32_t opcode, int32_t index)
    {
        int n = 0;
        for (const Call& c : gCalls)
            n += c.opcode == opcode && c.index == index;
        return n;
    }

    Sylvatone* fx = nullptr;
    ADEditor* editor = nullptr;
    CFrame* frame = nullptr;
};

}  // namespace

TEST_F(EditorWiring, AKnobDragIsOneGestureThatMovesTheEngine)
{
    CPoint at = centre(kParamLfGain);
    long buttons = kLButton;
    frame->onMouseDown(at, buttons);
    for (int step = 0; step < 10; ++step) {
        at.y -= 5;  // 50 px up in all: +0.2
        frame->onMouseMoved(at, buttons);
    }
    long released = 0;
    frame->onMouseUp(at, released);

    EXPECT_EQ(count(audioMasterBeginEdit, kParamLfGain), 1);
    EXPECT_EQ(count(audioMasterEndEdit, kParamLfGain), 1);
    EXPECT_EQ(count(audioMasterAutomate, kParamLfGain), 10);
    ASSERT_FALSE(gCalls.empty());
    EXPECT_EQ(gCalls.front().opcode, audioMasterBeginEdit);
    EXPECT_EQ(gCalls.back().opcode, audioMasterEndEdit);
    EXPECT_NEAR(fx->getParameter(kParamLfGain), 0.7f, 1e-5);
    EXPECT_NEAR(fx->getParameterValue(kParamLfGain), 6.0f, 1e-5);  // 0.5 dB steps
}

TEST_F(EditorWiring, ButtonsAndSwitchesSetTheirParameters)
{
    CPoint at = centre(kParamSat);
    long buttons = kLButton, none = 0;
    frame->onMouseDown(at, buttons);
    frame->onMouseUp(at, none);
    EXPECT_EQ(fx->getParameterValue(kParamSat), 1.0f);
    EXPECT_EQ(count(audioMasterAutomate, kParamSat), 1);

    // The right-hand end of the low-mid frequency switch is its last step.
    const CRect r = editor->controlFor(kParamLmfFreq)->getViewSize();
    CPoint right(r.right - 2, (r.top + r.bottom) / 2);
    frame->onMouseDown(right, buttons);
    frame->onMouseUp(right, none);
    EXPECT_EQ(fx->getParameterValue(kParamLmfFreq), 900.0f);
}

TEST_F(EditorWiring, HostChangesReachTheControlsAtTheNextIdle)
{
    std::thread automation([&] {
        fx->setParameter(kParamHfGain, 0.8f);
        fx->setParameter(kParamLf, 0.0f);
        fx->setParameter(2, 0.3f);  // no control: only a redraw
    });
    automation.join();
    EXPECT_EQ(editor->controlFor(kParamHfGain)->getValue(), 0.5f);  // not yet
    editor->idle();
    EXPECT_EQ(editor->controlFor(kParamHfGain)->getValue(), 0.8f);
    EXPECT_EQ(editor->controlFor(kParamLf)->getValue(), 0.0f);

    fx->setPresetNo(3);  // a program change moves every control
    editor->idle();
    EXPECT_EQ(editor->controlFor(kParamHmfGain)->getValue(), fx->getParameter(kParamHmfGain));
    EXPECT_EQ(editor->controlFor(kParamLmf)->getValue(), 0.0f);
}

TEST_F(EditorWiring, TheLampLightsHoldsAndClearsOnAClick)
{
    std::vector<double> loud(64, 1.2), out(64);
    double* in[2] = {loud.data(), loud.data()};
    double* o[2] = {out.data(), out.data()};
    fx->processDoubleReplacing(in, o, 64);
    fx->processDoubleReplacing(in, o, 64);  // past the latency
    auto* led = static_cast<CLED*>(frame->getViewAt(CPoint(700, 40)));
    ASSERT_NE(led, nullptr);
    editor->idle();
    EXPECT_EQ(led->getValue(), 1.0f);
    editor->idle();
    EXPECT_EQ(led->getValue(), 0.5f);
    CPoint at(700, 40);
    long right = kRButton, left = kLButton, none = 0;
    frame->onMouseDown(at, right);
    frame->onMouseUp(at, none);
    editor->idle();
    EXPECT_EQ(led->getValue(), 0.5f);
    frame->onMouseDown(at, left);
    frame->onMouseUp(at, none);
    editor->idle();
    EXPECT_EQ(led->getValue(), 0.0f);
    EXPECT_EQ(fx->getOutputPeak(), 0.0);
}

TEST_F(EditorWiring, ClosingForgetsTheControlsAndReopeningBuildsThemAgain)
{
    editor->close();
    EXPECT_EQ(editor->getFrame(), nullptr);
    EXPECT_EQ(editor->controlFor(kParamLfGain), nullptr);
    fx->setParameter(kParamLfGain, 0.9f);  // while closed: nothing to show
    editor->idle();
    ASSERT_TRUE(editor->open(nullptr));
    EXPECT_EQ(editor->controlFor(kParamLfGain)->getValue(), 0.9f);
    editor->close();
    ASSERT_TRUE(editor->open(nullptr));
}
