// The equaliser's window wired to the effect, off-screen: user changes reach
// the effect and the host as gestures, host changes reach the controls at the
// next idle (from any thread), and the lamp follows the output.
#include <algorithm>
#include <chrono>
#include <filesystem>
#include <thread>

#include <gtest/gtest.h>

#include "editor/ADEditor.h"
#include "editor/CInfoBubble.h"
#include "editor/CLED.h"
#include "editor/CResponsePanel.h"
#include "plugin/Sylvatone.h"
#include "editor/EditorScale.h"
#include "presets/Preferences.h"
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

namespace {

// The preferences in a folder of the test's own while it runs.
struct PrivatePreferences {
    PrivatePreferences() : saved(getenv("XDG_CONFIG_HOME") ? getenv("XDG_CONFIG_HOME") : "")
    {
        EXPECT_NE(mkdtemp(dir), nullptr);
        setenv("XDG_CONFIG_HOME", dir, 1);
    }
    ~PrivatePreferences()
    {
        std::filesystem::remove_all(dir);
        setenv("XDG_CONFIG_HOME", saved.c_str(), 1);
    }
    char dir[32] = "/tmp/sylvatone-scale-XXXXXX";
    std::string saved;
};

}  // namespace

// At another size the window keeps its layout in window units: the host is
// told the size in pixels, the picture has that many, and the panel's right
// click changes it, asking the host to resize first.
TEST(EditorScale, TheWindowDrawsAndResizesAtEachScale)
{
    PrivatePreferences private_;
    unsetenv("DISPLAY");
    setenv("GDK_SCALE", "2", 1);
    useBundleFolder(SYLVATONE_BUNDLE_DIR);
    gCalls.clear();
    auto* fx = static_cast<Sylvatone*>(createEffectInstance(recordingHost));
    auto* editor = static_cast<ADEditor*>(fx->getEditor());
    ERect* rect = nullptr;
    ASSERT_TRUE(editor->getRect(&rect));
    EXPECT_EQ(rect->right, 1564);
    EXPECT_EQ(rect->bottom, 374);
    ASSERT_TRUE(editor->open(nullptr));
    CFrame* frame = editor->getFrame();
    EXPECT_EQ(cairo_image_surface_get_width(frame->getOffscreenSurface()), 1564);

    // Right click on the bare panel, choose 150 %.
    click(frame, 500, 100, kRButton);
    CView* list = frame->getModalView();
    ASSERT_NE(list, nullptr);
    const CRect r = list->getViewSize();
    click(frame, r.left + 5, r.top + r.getHeight() * 1.5 / 4);  // the second of four entries
    gCalls.clear();
    editor->idle();
    EXPECT_EQ(editor->getScale(), 1.5);
    const std::pair<int32_t, int32_t> resize(audioMasterSizeWindow, 1173);
    EXPECT_NE(std::find(gCalls.begin(), gCalls.end(), resize), gCalls.end());
    ASSERT_NE(editor->getFrame(), nullptr);
    EXPECT_EQ(cairo_image_surface_get_width(editor->getFrame()->getOffscreenSurface()), 1173);
    std::string stored;
    EXPECT_TRUE(Preferences().getString(kPrefEditorScale, stored) && stored == "1.5");

    editor->close();
    delete fx;
    useBundleFolder("");
    unsetenv("GDK_SCALE");
}

// One wheel notch moves a stepped control by exactly one of its steps:
// 0.5 dB on a gain, with Shift too, one table position on a frequency.
TEST_F(EditorWiring, TheWheelStepsLikeTheControl)
{
    const CRect gain = editor->controlFor(kParamLfGain)->getViewSize();
    const CPoint g((gain.left + gain.right) / 2, (gain.top + gain.bottom) / 2);
    const float start = fx->getParameterValue(kParamLfGain);
    const struct { float notch; long buttons; float dB; } turns[] = {
        {1, 0, 0.5f}, {1, kShift, 1.0f}, {-1, 0, 0.5f}, {-1, 0, 0.0f}, {-1, kShift, -0.5f}};
    for (const auto& t : turns) {
        frame->onWheel(g, t.notch, t.buttons);
        EXPECT_FLOAT_EQ(fx->getParameterValue(kParamLfGain), start + t.dB) << t.notch << " " << t.buttons;
    }
    const CRect freq = editor->controlFor(kParamHmfFreq)->getViewSize();
    const CPoint f((freq.left + freq.right) / 2, (freq.top + freq.bottom) / 2);
    fx->setParameter(kParamHmfFreq, 0.5f);  // 3279 Hz
    editor->idle();
    frame->onWheel(f, 1, 0);
    EXPECT_EQ(fx->getParameterValue(kParamHmfFreq), 4300.0f);
    frame->onWheel(f, -1, 0);
    frame->onWheel(f, -1, 0);
    EXPECT_EQ(fx->getParameterValue(kParamHmfFreq), 2500.0f);
}

// The window says what the user touches: a value while it moves, the value
// and then a tooltip while the mouse rests on a control, a message when a
// double-click stores a default; then it goes away.
TEST_F(EditorWiring, TheBubbleShowsValuesTooltipsAndMessages)
{
    CInfoBubble* bubble = editor->infoBubble();
    ASSERT_NE(bubble, nullptr);
    const CRect knob = editor->controlFor(kParamLmfGain)->getViewSize();
    const double x = (knob.left + knob.right) / 2, y = (knob.top + knob.bottom) / 2;
    mouseDown(frame, x, y);
    mouseMoved(frame, x, y - 15);
    EXPECT_TRUE(bubble->isShown());
    char shown[32];
    fx->getParameterDisplay(kParamLmfGain, shown);
    EXPECT_EQ(bubble->firstLine(), std::string("LMF gain ") + shown);
    mouseUp(frame, x, y - 15, 0);

    // Resting over the HF frequency switch: its value, then its tooltip.
    const CRect sw = editor->controlFor(kParamHfFreq)->getViewSize();
    mouseMoved(frame, sw.left + 2, (sw.top + sw.bottom) / 2, 0);
    editor->idle();  // the host's idle notices where the mouse rests
    std::this_thread::sleep_for(std::chrono::milliseconds(1300));
    editor->idle();
    EXPECT_EQ(bubble->firstLine(), "HF freq 16.0kHz");
    EXPECT_NE(bubble->secondLine().find("wheel"), std::string::npos) << bubble->secondLine();

    // Off every control it goes.
    mouseMoved(frame, 500, 100, 0);
    editor->idle();
    EXPECT_FALSE(bubble->isShown());

    // A double-click on the default bank button stores it, and says so; a
    // Ctrl+double-click removes it again.
    const layout::StripButton& bank = layout::stripButton(layout::kTagDefaultBank);
    click(frame, bank.at.left + 3, bank.at.top + 3, kLButton | kDoubleClick);
    EXPECT_TRUE(bubble->isShown());
    EXPECT_EQ(bubble->firstLine(), "Default bank stored");
    click(frame, bank.at.left + 3, bank.at.top + 3, kLButton | kDoubleClick | kControl);
    EXPECT_EQ(bubble->firstLine(), "Default bank removed");
}

// The response panel opens below the window from the panel's right-click
// menu (asking the host for the room first), is remembered for the next
// window, and closes again from a right click on itself, leaving the window
// as it was to the pixel.
TEST(ResponsePanel, OpensBelowTheWindowIsRememberedAndClosesToTheDesignedWindow)
{
    PrivatePreferences private_;
    unsetenv("DISPLAY");
    unsetenv("GDK_SCALE");
    useBundleFolder(SYLVATONE_BUNDLE_DIR);
    auto* fx = static_cast<Sylvatone*>(createEffectInstance(recordingHost));
    auto* editor = static_cast<ADEditor*>(fx->getEditor());
    ASSERT_TRUE(editor->open(nullptr));
    auto pixels = [&] {
        cairo_surface_t* s = editor->getFrame()->getOffscreenSurface();
        const unsigned char* data = cairo_image_surface_get_data(s);
        return std::string(reinterpret_cast<const char*>(data),
                           static_cast<size_t>(cairo_image_surface_get_stride(s) * cairo_image_surface_get_height(s)));
    };
    const std::string designed = pixels();
    auto choose = [&](double x, double y, int entry) {
        gCalls.clear();
        click(editor->getFrame(), x, y, kRButton);
        CView* list = editor->getFrame()->getModalView();
        ASSERT_NE(list, nullptr);
        const CRect r = list->getViewSize();
        click(editor->getFrame(), r.left + 5, r.top + r.getHeight() * (entry + 0.5) / 4);
        editor->idle();
    };
    ERect* rect = nullptr;
    const std::pair<int32_t, int32_t> grow(audioMasterSizeWindow, 782);

    choose(500, 100, 3);
    ASSERT_NE(editor->responsePanel(), nullptr);
    EXPECT_NE(std::find(gCalls.begin(), gCalls.end(), grow), gCalls.end());
    ASSERT_TRUE(editor->getRect(&rect));
    EXPECT_EQ(rect->bottom, 187 + CResponsePanel::kHeight);
    EXPECT_EQ(cairo_image_surface_get_height(editor->getFrame()->getOffscreenSurface()), 337);
    std::string stored;
    EXPECT_TRUE(Preferences().getString("ResponsePanel", stored) && stored == "open");
    {
        Sylvatone other(nullptr);
        auto* second = new ADEditor(&other);  // owned by other
        ASSERT_TRUE(second->getRect(&rect));
        EXPECT_EQ(rect->bottom, 337) << "the next window opens with the panel";
    }

    choose(400, 260, 3);  // the panel's own right click
    EXPECT_EQ(editor->responsePanel(), nullptr);
    ASSERT_TRUE(editor->getRect(&rect));
    EXPECT_EQ(rect->bottom, 187);
    EXPECT_TRUE(pixels() == designed);
    EXPECT_TRUE(Preferences().getString("ResponsePanel", stored) && stored == "closed");
    editor->close();
    delete fx;
    useBundleFolder("");
}

// The curve follows the settings the host makes, per channel when the
// channel selector treats them differently; the spectra show the audio the
// effect processes, at its level.
TEST(ResponsePanel, ShowsTheSettingsCurveAndTheAudiosSpectrum)
{
    PrivatePreferences private_;
    unsetenv("DISPLAY");
    useBundleFolder(SYLVATONE_BUNDLE_DIR);
    auto* fx = static_cast<Sylvatone*>(createEffectInstance(recordingHost));
    fx->setSampleRate(44100.0f);
    fx->resume();
    auto* editor = static_cast<ADEditor*>(fx->getEditor());
    editor->usePanel(true);
    ASSERT_TRUE(editor->open(nullptr));
    CResponsePanel* panel = editor->responsePanel();
    ASSERT_NE(panel, nullptr);

    fx->setParameter(kParamLfGain, 1.0f);  // +15 dB
    editor->idle();
    EXPECT_GT(panel->curveDb(0, 60.0), 10.0);
    EXPECT_NEAR(panel->curveDb(0, 3000.0), 0.0, 1.0);
    fx->setParameter(kParamLsr, 1.0f);  // the bands on the right channel only
    editor->idle();
    EXPECT_NEAR(panel->curveDb(0, 60.0), 0.0, 0.5);
    EXPECT_GT(panel->curveDb(1, 60.0), 10.0);

    // Half scale, on a bin of the transform, through the flat path.
    fx->setParameter(kParamEqAll, 0.0f);
    const double hz = 43 * 44100.0 / Spectrum::kSize;
    std::vector<float> l(1470), r(1470);
    long n = 0;
    for (int frame = 0; frame < 10; ++frame) {
        for (size_t i = 0; i < l.size(); ++i, ++n)
            l[i] = r[i] = static_cast<float>(0.5 * std::sin(2 * M_PI * hz * static_cast<double>(n) / 44100.0));
        float* io[2] = {l.data(), r.data()};
        fx->processReplacing(io, io, static_cast<int32_t>(l.size()));
        std::this_thread::sleep_for(std::chrono::milliseconds(34));
        editor->idle();
    }
    EXPECT_NEAR(panel->spectrumDb(false, hz), -6.02, 0.3);
    EXPECT_NEAR(panel->spectrumDb(true, hz), -6.02, 0.3);
    EXPECT_LT(panel->spectrumDb(true, 5000.0), -80.0);

    editor->close();
    EXPECT_FALSE(fx->spectrumTap().listening) << "a closed panel takes no audio";
    delete fx;
    useBundleFolder("");
}
