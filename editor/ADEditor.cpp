#include "editor/ADEditor.h"

#include <cstdlib>

#include "editor/CAbout.h"
#include "editor/CAnimKnob3.h"
#include "editor/CLED.h"
#include "editor/CZYMOnOffButton.h"
#include "engine/Parameters.h"
#include "plugin/Sylvatone.h"
#include "format/Converters.h"
#include "gui/CBitmap.h"
#include "gui/CFont.h"
#include "gui/CHorizontalSwitch.h"
#include "gui/CParamDisplay.h"
#include "shell/MyFrame.h"

namespace {

constexpr int kBackgroundBitmap = 11500;
constexpr int kAboutTag = 61;
constexpr int kLedTag = 64;
const CColor kLiteGreyCColor(215, 215, 215, 255);

enum class Kind { Knob, Switch, Button };

// The window's controls in creation order: tag, kind, picture, frames,
// top-left corner, and for knobs the default value and fine-drag zoom.
struct Placement {
    int tag;
    Kind kind;
    int bitmap;
    int frames;
    CCoord x, y;
    float defaultValue;
    double shiftZoom;
};

const Placement kLayout[] = {
    {kParamOutput, Kind::Knob, 11562, 31, 642, 35, 0.5f, 2.0},
    {kParamEqAll, Kind::Button, 11510, 2, 706, 4, 0.0f, 0.0},
    {kParamLsr, Kind::Switch, 11512, 3, 60, 140, 0.5f, 0.0},
    {kParamSat, Kind::Button, 11518, 2, 680, 140, 0.0f, 0.0},
    {kParamHpfFreq, Kind::Knob, 11541, 11, 21, 35, 0.0f, 1.0},
    {kParamLf, Kind::Button, 11543, 2, 212, 4, 0.0f, 0.0},
    {kParamLfQ, Kind::Button, 11545, 2, 240, 140, 0.0f, 0.0},
    {kParamLfFreq, Kind::Switch, 11516, 5, 180, 140, 0.5f, 0.0},
    {kParamLfGain, Kind::Knob, 11571, 31, 148, 35, 0.5f, 2.0},
    {kParamLmf, Kind::Button, 11546, 2, 336, 4, 0.0f, 0.0},
    {kParamLmQ, Kind::Button, 11577, 2, 365, 140, 0.0f, 0.0},
    {kParamLmfFreq, Kind::Switch, 11547, 7, 294, 140, 0.5f, 0.0},
    {kParamLmfGain, Kind::Knob, 11572, 31, 271, 35, 0.5f, 2.0},
    {kParamHmf, Kind::Button, 11548, 2, 462, 4, 0.0f, 0.0},
    {kParamHmQ, Kind::Button, 11578, 2, 489, 140, 0.0f, 0.0},
    {kParamHmfFreq, Kind::Switch, 11549, 7, 418, 140, 0.5f, 0.0},
    {kParamHmfGain, Kind::Knob, 11573, 31, 394, 35, 0.5f, 2.0},
    {kParamHf, Kind::Button, 11552, 2, 585, 4, 0.0f, 0.0},
    {kParamHfFreq, Kind::Switch, 11517, 5, 551, 140, 0.5f, 0.0},
    {kParamHfQ, Kind::Button, 11579, 2, 611, 140, 0.0f, 0.0},
    {kParamHfGain, Kind::Knob, 11553, 31, 517, 35, 0.5f, 2.0},
};

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

    CBitmap* background = new CBitmap(CResourceDescription(kBackgroundBitmap));
    // Without its picture the window keeps the editor's own size.
    const CCoord width = background->isLoaded() ? background->getWidth() : rect.right - rect.left;
    const CCoord height = background->isLoaded() ? background->getHeight() : rect.bottom - rect.top;
    auto* newFrame = new MyFrame(CRect(rect.left, rect.top, rect.left + width, rect.top + height), ptr, this);
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

    latencyMsDisplay = makeReadout(CRect(580, 171, 630, 183), background, msStringConvert);
    frame->addView(latencyMsDisplay);
    latencySamplesDisplay = makeReadout(CRect(652, 171, 702, 183), background, smpStringConvert);
    frame->addView(latencySamplesDisplay);
    refreshLatency();

    for (const Placement& p : kLayout) {
        CBitmap* bitmap = new CBitmap(CResourceDescription(p.bitmap));
        const CCoord w = bitmap->getWidth();
        const CCoord frameHeight = static_cast<CCoord>(static_cast<int>(bitmap->getHeight() / p.frames));
        const CRect size(p.x, p.y, p.x + w, p.y + frameHeight);
        CControl* control = nullptr;
        switch (p.kind) {
        case Kind::Knob: {
            auto* knob = new CAnimKnob3(size, this, p.tag, p.frames, static_cast<int>(frameHeight), bitmap,
                                        CPoint(p.x, p.y));
            knob->setDefaultValue(p.defaultValue);
            knob->rangeScale = 0.5;
            knob->setShiftZoom(p.shiftZoom);
            control = knob;
            if (p.tag == kParamOutput) {
                outputKnob = knob;
                // The lamp sits between the output knob and the master switch.
                CBitmap* led = new CBitmap(CResourceDescription(11520));
                const CCoord ledHeight = static_cast<CCoord>(static_cast<int>(led->getHeight() / 3));
                clipLed = new CLED(CRect(695, 35, 695 + led->getWidth(), 35 + ledHeight), this, kLedTag, led);
                clipLed->setValue(0.0f);
                led->forget();
            }
            break;
        }
        case Kind::Switch:
            control = new CHorizontalSwitch(size, this, p.tag, p.frames, frameHeight, p.frames, bitmap,
                                            CPoint(0, 0));
            control->setDefaultValue(p.defaultValue);
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

    CBitmap* splash = new CBitmap(CResourceDescription(11580));
    aboutSpot = new CAbout(CRect(34, 12, 188, 31), this, kAboutTag, splash,
                           CRect(0, 0, splash->getWidth(), splash->getHeight()), CPoint(0, 0));
    frame->addView(aboutSpot);
    splash->forget();
    background->forget();

    CPresetSystemEditor::open(ptr);  // the preset strip, on top
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
    if (tag >= 0 && tag < kTagCount && controls[tag] == control) {
        engine->setParameterAutomated(static_cast<int32_t>(tag), control->getValue());
    } else if (tag == kLedTag && frame && (frame->getCurrentMouseButtons() & kLButton)) {
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
    if (frame)
        frame->setDirty(true);
}

void ADEditor::idle()
{
    // After a suspend or resume: new latency texts, the lamp's hold cleared,
    // and the lamp given a tiny, ever different value that shows it off, so
    // it redraws.
    if (latencyDue.exchange(false)) {
        refreshLatency();
        if (engine)
            engine->setClipHold(0.0);
        if (clipLed)
            clipLed->setValue(static_cast<float>(rand() * 1e-15));
    }
    applyPendingParameters();
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
