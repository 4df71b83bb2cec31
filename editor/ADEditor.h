// The equaliser's editor: a 782 x 187 window on one background picture with
// six knobs, five switches, ten buttons, the overload lamp, two latency
// read-outs and the about hot spot, each bound to its parameter by its tag,
// and the preset strip of the base class on top. The editor object lives as
// long as the effect; its window only between the host's open and close.
#pragma once

#include <atomic>
#include <chrono>
#include <string>

#include "editor/EditorScale.h"
#include "plugin/EffectObserver.h"
#include "presets/CPresetSystemEditor.h"

class CAbout;
class CInfoBubble;
class CView;
class CAnimKnob3;
class CControl;
class CLED;
class CParamDisplay;
class CResponsePanel;
class CScaleMenu;
class Sylvatone;

class ADEditor : public CPresetSystemEditor, public EffectObserver {
public:
    explicit ADEditor(Sylvatone* effect);
    ~ADEditor() override;

    // Opens the window into the host's parent (an X11 window id); with a
    // null parent the frame draws off-screen only (snapshots and tests).
    bool open(void* ptr) override;
    void close() override;
    void idle() override;
    void valueChanged(CControl* control) override;

    // Any thread: the value is handed to the user-interface thread, and the
    // controls show it at the next idle.
    void setParameter(int32_t index, float value) override;
    void parameterChanged(int32_t index, float value) override { setParameter(index, value); }

    // The effect's notices of a suspend or resume: the latency texts and the
    // lamp are refreshed at the next idle.
    void latencyChanged() override { internalSampleRateChanged(); }
    virtual void resume();
    virtual void internalSampleRateChanged();

    // The control carrying a parameter tag while the window is open (tests).
    CControl* controlFor(int tag) const;

    // The window's size factor (1, 1.5 or 2): the user's choice, else what
    // the desktop asks for. The host is told the window's size in pixels.
    double getScale();
    bool getRect(ERect** rect) override;
    // The user chose another size: remembered in the preferences, and an
    // open window is rebuilt at that size at the next idle after the host
    // was asked to resize it.
    void setScale(double scale);
    // A size for the next window only, not remembered (snapshots).
    void useScale(double wanted) { scale = snapEditorScale(wanted); }

    // The response panel below the designed window: open or closed as the
    // user last chose (closed at first). Choosing is remembered in the
    // preferences; an open window grows or shrinks at the next idle after
    // the host was asked to resize it.
    bool isPanelOpen();
    void setPanelOpen(bool open);
    // Open or closed for the next window only, not remembered (snapshots).
    void usePanel(bool open) { panelState = open ? 1 : 0; }
    CResponsePanel* responsePanel() const { return panel; }

    // The bubble that shows values, tooltips and messages (tests).
    CInfoBubble* infoBubble() const { return bubble; }
    // Shows a parameter's value and tooltip as a resting mouse would
    // (snapshots of the open window).
    void showReadout(int tag);

protected:
    void tellUser(const std::string& message, int tag) override;

private:
    static constexpr int kTagCount = 42;
    // The bubble at idle: a value being changed stays shown for a moment;
    // a control under the mouse shows its value, then its tooltip.
    void updateBubble();
    void showValue(int tag, const std::string& second);
    void applyPendingParameters();
    void refreshLatency();

    Sylvatone* engine;
    CControl* controls[kTagCount] = {};
    CParamDisplay* latencyMsDisplay = nullptr;
    CParamDisplay* latencySamplesDisplay = nullptr;
    CAnimKnob3* outputKnob = nullptr;
    CLED* clipLed = nullptr;
    CAbout* aboutSpot = nullptr;
    CInfoBubble* bubble = nullptr;
    CView* hovered = nullptr;
    std::chrono::steady_clock::time_point hoverSince, lastChange;
    CResponsePanel* panel = nullptr;
    CScaleMenu* sizeMenu = nullptr;
    int panelState = -1;        // -1 until first needed, then 0 closed, 1 open
    int pendingPanel = -1;      // a choice made in the window, applied at idle
    double scale = 0.0;         // 0 until first needed
    double pendingScale = 0.0;  // a size chosen in the window, applied at idle

    // Values set from any thread, taken over by the user-interface thread.
    std::atomic<float> pendingValue[kTagCount];
    std::atomic<bool> pending[kTagCount];
    std::atomic<bool> anyPending{false};
    std::atomic<bool> latencyDue{false};
};
