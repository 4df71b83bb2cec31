#include "editor/ADEditor.h"

#include <cmath>
#include <cstdlib>
#include <string>

#include "editor/CAbout.h"
#include "editor/CAnimKnob3.h"
#include "editor/CInfoBubble.h"
#include "editor/ControlHelp.h"
#include "editor/CLED.h"
#include "editor/CResponsePanel.h"
#include "editor/CScaleMenu.h"
#include "editor/CZYMOnOffButton.h"
#include "editor/EditorScale.h"
#include "engine/Parameters.h"
#include "plugin/Sylvatone.h"
#include "format/Converters.h"
#include "gui/CBitmap.h"
#include "gui/CFont.h"
#include "gui/CHorizontalSwitch.h"
#include "gui/CMenuItem.h"
#include "gui/CParamDisplay.h"
#include "gui/X11Window.h"
#include "resources/Layout.h"
#include "shell/MyFrame.h"

namespace {

const CColor kLiteGreyCColor(215, 215, 215, 255);

using layout::Kind;

// What a double-click resets a control to, and how much finer a drag with
// Shift moves a knob: the low cut starts from its lowest step and moves one
// step per notch of travel; gains and output start from 0 dB.
float defaultValueOf(const layout::Control& c)
{
    return c.tag == kParamHpfFreq ? 0.0f : 0.5f;
}

double shiftZoomOf(const layout::Control& c)
{
    return c.tag == kParamHpfFreq ? 1.0 : 2.0;
}

// The size menu behind every control; its tag is nobody's parameter. After
// the sizes it offers the response panel.
constexpr long kTagScaleMenu = 120;
constexpr const char* kPrefResponsePanel = "ResponsePanel";

CRect rectOf(const layout::Rect& r)
{
    return CRect(r.left, r.top, r.right, r.bottom);
}

// A read-out showing the piece of background it covers, with its text.
CParamDisplay* makeReadout(const CRect& where, CBitmap* background, CParamDisplay::StringConvert convert)
{
    auto* display = new CParamDisplay(where, background, 0);
    display->setBackOffset(CPoint(where.left, where.top));
    display->setHoriAlign(kLeftText);
    display->setFont(kNormalFontVerySmall);
    display->setFontColor(kLiteGreyCColor);
    display->setMin(0.0f);
    display->setMax(10000.0f);
    display->setStringConvert(convert);
    return display;
}

}  // namespace

ADEditor::ADEditor(Sylvatone* effect) : CPresetSystemEditor(effect), engine(effect)
{
    if (engine)
        engine->setObserver(this);
    rect.top = 0;
    rect.left = 0;
    rect.bottom = 187;
    rect.right = 782;
    for (int i = 0; i < kTagCount; ++i) {
        pendingValue[i].store(0.0f, std::memory_order_relaxed);
        pending[i].store(false, std::memory_order_relaxed);
    }
}

ADEditor::~ADEditor()
{
    closeFrame();
}

bool ADEditor::open(void* ptr)
{
    if (frame)
        close();
    AEffEditor::open(ptr);

    const double s = getScale();
    CBitmap* background = new CBitmap(CResourceDescription(layout::kBackgroundBitmap), s);
    // Without its picture the window keeps the editor's own size.
    const CCoord width = background->isLoaded() ? background->getWidth() : layout::kWindowW;
    const CCoord height = background->isLoaded() ? background->getHeight() : layout::kWindowH;
    const CCoord below = isPanelOpen() ? CResponsePanel::kHeight : 0;
    auto* newFrame = new MyFrame(CRect(0, 0, width, height + below), ptr, this, s);
    if (ptr && !newFrame->isWindowOpen()) {
        // No display, or a parent window that does not exist.
        newFrame->close();
        background->forget();
        AEffEditor::close();
        return false;
    }
    frame = newFrame;
    frame->setBackground(background);
    setKnobMode(kLinearMode);

    // Behind everything: a right click on the bare panel offers the sizes.
    auto* sizes = new CScaleMenu(CRect(0, 0, width, height), this, kTagScaleMenu);
    for (double option : kEditorScales)
        sizes->addEntry(("Window size " + std::to_string(static_cast<int>(option * 100 + 0.5)) + "%").c_str());
    sizes->addEntry(below ? "Hide response and spectrum" : "Show response and spectrum");
    for (int i = 0; i < kNumEditorScales; ++i)
        if (kEditorScales[i] == s)
            sizes->setCurrent(i);
    frame->addView(sizes);
    sizeMenu = sizes;
    if (below) {
        panel = new CResponsePanel(CRect(0, height, width, height + below), engine, sizes);
        frame->addView(panel);
    }

    latencyMsDisplay = makeReadout(rectOf(layout::kLatencyMs), background, msStringConvert);
    frame->addView(latencyMsDisplay);
    latencySamplesDisplay = makeReadout(rectOf(layout::kLatencySamples), background, smpStringConvert);
    frame->addView(latencySamplesDisplay);
    refreshLatency();

    for (const layout::Control& p : layout::kControls) {
        CBitmap* bitmap = new CBitmap(CResourceDescription(p.bitmap), s);
        const CCoord w = bitmap->getWidth();
        const CCoord frameHeight = static_cast<CCoord>(static_cast<int>(bitmap->getHeight() / p.frames));
        const CRect size(p.x, p.y, p.x + w, p.y + frameHeight);
        CControl* control = nullptr;
        switch (p.kind) {
        case Kind::Knob: {
            auto* knob = new CAnimKnob3(size, this, p.tag, p.frames, static_cast<int>(frameHeight), bitmap,
                                        CPoint(p.x, p.y));
            knob->setDefaultValue(defaultValueOf(p));
            knob->rangeScale = 0.5;
            knob->setShiftZoom(shiftZoomOf(p));
            ParamSteps steps;
            if (parameterSteps(p.tag, &steps))
                knob->setWheelStep(steps.step);
            control = knob;
            if (p.tag == kParamOutput) {
                outputKnob = knob;
                // The lamp sits between the output knob and the master switch.
                CBitmap* led = new CBitmap(CResourceDescription(layout::kLampBitmap), s);
                const CCoord ledHeight =
                    static_cast<CCoord>(static_cast<int>(led->getHeight() / layout::kLampFrames));
                clipLed = new CLED(CRect(layout::kLampX, layout::kLampY, layout::kLampX + led->getWidth(),
                                         layout::kLampY + ledHeight),
                                   this, layout::kTagLamp, led);
                clipLed->setValue(0.0f);
                led->forget();
            }
            break;
        }
        case Kind::Switch:
            control = new CHorizontalSwitch(size, this, p.tag, p.frames, frameHeight, p.frames, bitmap,
                                            CPoint(0, 0));
            control->setDefaultValue(defaultValueOf(p));
            break;
        case Kind::Button:
            control = new CZYMOnOffButton(size, this, p.tag, bitmap);
            break;
        }
        control->setValue(engine->getParameter(p.tag));
        frame->addView(control);
        controls[p.tag] = control;
        if (control == outputKnob && clipLed)
            frame->addView(clipLed);
        bitmap->forget();
    }

    CBitmap* splash = new CBitmap(CResourceDescription(layout::kSplashBitmap), s);
    aboutSpot = new CAbout(rectOf(layout::kAboutSpot), this, layout::kTagAbout, splash,
                           CRect(0, 0, splash->getWidth(), splash->getHeight()), CPoint(0, 0));
    frame->addView(aboutSpot);
    splash->forget();
    background->forget();

    CPresetSystemEditor::open(ptr);  // the preset strip, on top
    bubble = new CInfoBubble(CRect(0, 0, width, height));
    frame->addView(bubble);  // above everything
    hovered = nullptr;
    frame->invalid();
    return true;
}

void ADEditor::close()
{
    CPresetSystemEditor::close();
    for (CControl*& control : controls)
        control = nullptr;
    latencyMsDisplay = latencySamplesDisplay = nullptr;
    outputKnob = nullptr;
    clipLed = nullptr;
    aboutSpot = nullptr;
    panel = nullptr;
    sizeMenu = nullptr;
    bubble = nullptr;
    hovered = nullptr;
    closeFrame();
    AEffEditor::close();
}

CControl* ADEditor::controlFor(int tag) const
{
    return tag >= 0 && tag < kTagCount ? controls[tag] : nullptr;
}

void ADEditor::valueChanged(CControl* control)
{
    CPresetSystemEditor::valueChanged(control);
    if (!engine || !control)
        return;
    const long tag = control->getTag();
    if (tag == kParamOutput && clipLed)
        clipLed->setDirty(true);
    if (tag == kTagScaleMenu) {
        const long i = static_cast<long>(control->getValue() + 0.5f);
        if (i >= 0 && i < kNumEditorScales)
            pendingScale = kEditorScales[i];
        else if (i == kNumEditorScales)
            pendingPanel = isPanelOpen() ? 0 : 1;
    } else if (tag >= 0 && tag < kTagCount && controls[tag] == control) {
        engine->setParameterAutomated(static_cast<int32_t>(tag), control->getValue());
        showValue(static_cast<int>(tag), "");
        lastChange = std::chrono::steady_clock::now();
    } else if (tag == layout::kTagLamp && frame && (frame->getCurrentMouseButtons() & kLButton)) {
        if (clipLed) {
            clipLed->resetHold();
            clipLed->setDirty(true);
        }
        if (outputKnob)
            outputKnob->setDirty(true);
        engine->resetClipState();
    }
}

void ADEditor::setParameter(int32_t index, float value)
{
    if (index < 0 || index >= kTagCount)
        return;
    pendingValue[index].store(value, std::memory_order_relaxed);
    pending[index].store(true, std::memory_order_release);
    anyPending.store(true, std::memory_order_release);
}

// User-interface thread: what setParameter handed over reaches the controls.
void ADEditor::applyPendingParameters()
{
    if (!anyPending.exchange(false, std::memory_order_acquire))
        return;
    for (int index = 0; index < kTagCount; ++index) {
        if (!pending[index].exchange(false, std::memory_order_acquire))
            continue;
        const float value = pendingValue[index].load(std::memory_order_relaxed);
        if (CControl* control = controls[index]) {
            control->setValue(value);
            if (index == kParamOutput)
                control->setDirty(true);
        }
        if (index == kParamEqAll)
            refreshLatency();
    }
    if (panel)
        panel->parametersChanged();
    if (frame)
        frame->setDirty(true);
}

double ADEditor::getScale()
{
    if (scale == 0.0)
        scale = chooseEditorScale(preferences, std::getenv("GDK_SCALE"), X11Window::desktopDpi());
    return scale;
}

bool ADEditor::getRect(ERect** r)
{
    const double s = getScale();
    rect.top = rect.left = 0;
    rect.right = static_cast<int16_t>(std::lround(layout::kWindowW * s));
    const int below = isPanelOpen() ? CResponsePanel::kHeight : 0;
    rect.bottom = static_cast<int16_t>(std::lround((layout::kWindowH + below) * s));
    return AEffGUIEditor::getRect(r);
}

void ADEditor::setScale(double wanted)
{
    const double s = snapEditorScale(wanted);
    preferences.setString(kPrefEditorScale, editorScaleText(s));
    if (s == getScale())
        return;
    scale = s;
    if (!frame)
        return;
    ERect* size = nullptr;
    getRect(&size);
    if (engine)
        engine->sizeWindow(size->right, size->bottom);
    void* parent = systemWindow;
    close();
    open(parent);
}

bool ADEditor::isPanelOpen()
{
    if (panelState < 0) {
        std::string stored;
        panelState = preferences.getString(kPrefResponsePanel, stored) && stored == "open" ? 1 : 0;
    }
    return panelState == 1;
}

void ADEditor::setPanelOpen(bool wanted)
{
    preferences.setString(kPrefResponsePanel, wanted ? "open" : "closed");
    if (wanted == isPanelOpen())
        return;
    panelState = wanted ? 1 : 0;
    if (!frame)
        return;
    ERect* size = nullptr;
    getRect(&size);
    if (engine)
        engine->sizeWindow(size->right, size->bottom);
    void* parent = systemWindow;
    close();
    open(parent);
}

void ADEditor::idle()
{
    // A size chosen in the window: the frame that sent it is rebuilt here,
    // outside its own event handling.
    if (pendingScale != 0.0) {
        const double s = pendingScale;
        pendingScale = 0.0;
        setScale(s);
    }
    if (pendingPanel >= 0) {
        const bool wanted = pendingPanel == 1;
        pendingPanel = -1;
        setPanelOpen(wanted);
    }
    // After a suspend or resume: new latency texts, the lamp's hold cleared,
    // and the lamp given a tiny, ever different value that shows it off, so
    // it redraws.
    if (latencyDue.exchange(false)) {
        refreshLatency();
        if (panel)
            panel->parametersChanged();
        if (engine)
            engine->setClipHold(0.0);
        if (clipLed)
            clipLed->setValue(static_cast<float>(rand() * 1e-15));
    }
    applyPendingParameters();
    if (panel)
        panel->idle();
    updateBubble();
    // The lamp: a block at full scale lights it for one idle, after which it
    // holds until clicked or until the engine is suspended.
    if (engine) {
        const double hold = engine->getClipHold();
        engine->setClipHold(engine->takeOutputPeakAtLeast(1.0) ? 1.0 : hold >= 0.5 ? 0.5 : 0.0);
        if (aboutSpot && aboutSpot->getValue() == 0.0f && clipLed)
            clipLed->setValue(static_cast<float>(engine->getClipHold()));
    }
    CPresetSystemEditor::idle();
}

void ADEditor::refreshLatency()
{
    if (!engine)
        return;
    if (latencyMsDisplay)
        latencyMsDisplay->setValue(engine->getLatency1());
    if (latencySamplesDisplay)
        latencySamplesDisplay->setValue(engine->getLatency2());
}

void ADEditor::resume()
{
    latencyDue.store(true);
}

// The thread of the host's suspend and resume: only the flag the next idle
// takes up.
void ADEditor::internalSampleRateChanged()
{
    latencyDue.store(true);
}

namespace {

// A parameter's display text without the padding some texts carry.
std::string trimmed(const char* text)
{
    std::string t(text);
    while (!t.empty() && t.back() == ' ')
        t.pop_back();
    return t;
}

constexpr auto kValueHold = std::chrono::milliseconds(1200);
constexpr auto kValueDelay = std::chrono::milliseconds(150);
constexpr auto kTooltipDelay = std::chrono::milliseconds(700);

}  // namespace

void ADEditor::showValue(int tag, const std::string& second)
{
    CControl* control = controlFor(tag);
    const char* name = readoutNameOf(tag);
    if (!bubble || !control || !name || !engine)
        return;
    char text[64] = {};
    engine->getParameterDisplay(tag, text);
    bubble->show(std::string(name) + " " + trimmed(text), second, control->getViewSize());
}

void ADEditor::tellUser(const std::string& message, int tag)
{
    if (!bubble || !frame)
        return;
    CRect near(0, 0, 0, 0);
    for (const layout::StripButton& b : layout::kStrip)
        if (b.tag == tag)
            near = CRect(b.at.left, b.at.top, b.at.right, b.at.bottom);
    bubble->show(message, "", near);
    lastChange = std::chrono::steady_clock::now();
    hovered = nullptr;
}

void ADEditor::updateBubble()
{
    if (!bubble || !frame)
        return;
    const auto now = std::chrono::steady_clock::now();
    CView* over = frame->getModalView() ? nullptr : frame->getMouseOverView();
    if (over != hovered) {
        hovered = over;
        hoverSince = now;
    }
    if (now - lastChange < kValueHold)
        return;  // a value just changed, or a message: leave it up a moment
    auto* control = dynamic_cast<CControl*>(hovered);
    const int tag = control ? static_cast<int>(control->getTag()) : -1;
    const bool pressed = frame->getCurrentMouseButtons() & (kLButton | kRButton | kMButton);
    if (!control || pressed || (!readoutNameOf(tag) && !tooltipOf(tag))) {
        bubble->hide();
        return;
    }
    if (now - hoverSince < kValueDelay)
        return;
    const char* tip = now - hoverSince >= kTooltipDelay ? tooltipOf(tag) : nullptr;
    if (readoutNameOf(tag) && controlFor(tag) == control)
        showValue(tag, tip ? tip : "");
    else if (tip)
        bubble->show(tip, "", control->getViewSize());
    else
        bubble->hide();
}

void ADEditor::showReadout(int tag)
{
    const char* tip = tooltipOf(tag);
    showValue(tag, tip ? tip : "");
    lastChange = std::chrono::steady_clock::now();
}
