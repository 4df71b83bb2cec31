// The panel that opens below the window: the equaliser's response curve
// (the whole chain, per channel when left and right differ, each band's own
// curve faint behind it, the band under the mouse highlighted) over the
// spectra of the input and the output of the last moments.
//
// The curve comes from an engine of the panel's own, given the effect's
// parameter values and rate: it designs the same filters with the same code
// as the running engine, so the numbers are the ones the audio runs, read
// without touching the audio thread's filters. The spectra come through the
// effect's SpectrumTap while the panel exists. User-interface thread only.
#pragma once

#include <chrono>
#include <complex>
#include <vector>

#include "editor/Spectrum.h"
#include "engine/EqEngine.h"
#include "engine/Response.h"
#include "gui/CColor.h"
#include "gui/CView.h"

class Sylvatone;
class CScaleMenu;

class CResponsePanel : public CView {
public:
    // Height of the panel at scale 1.
    static constexpr int kHeight = 150;

    CResponsePanel(const CRect& size, Sylvatone* effect, CScaleMenu* menu);
    ~CResponsePanel() override;

    // The effect's parameters or rate changed: the curves are computed anew
    // at the next idle.
    void parametersChanged() { curvesDue = true; }
    // Takes the audio that arrived; new spectra about 30 times a second.
    void idle();

    void draw(CDrawContext* context) override;
    CMouseEventResult onMouseDown(CPoint& where, const long& buttons) override;
    CMouseEventResult onMouseMoved(CPoint& where, const long& buttons) override;
    CMouseEventResult onMouseExited(CPoint& where, const long& buttons) override;

    // The group the mouse is over (response::kGroupCount for none), and the
    // computed curve in dB of a channel at a frequency (tests).
    int highlighted() const { return hovered; }
    double curveDb(int channel, double hz) const;
    // The shown level of the input or output spectrum at a frequency, in dB.
    double spectrumDb(bool ofOutput, double hz) const;

    CLASS_METHODS_NOCOPY(CResponsePanel, CView)

private:
    void computeCurves();
    CRect plotArea() const;
    double xOf(double hz) const;
    double hzAt(double x) const;
    void drawGrid(CDrawContext* context, const CRect& plot);
    void drawSpectrum(CDrawContext* context, const CRect& plot, const Spectrum& s, const CColor& color,
                      const CColor& line);
    void drawCurve(CDrawContext* context, const std::vector<double>& db, const CColor& color, double width);

    Sylvatone* effect;
    CScaleMenu* menu;
    EqEngine model;
    double modelRate = 0.0;
    bool curvesDue = true;
    bool twoChannels = false;
    // Per pixel column of the plot: the whole chain of each channel and
    // each group's own curve (left channel; the right one's when only it
    // runs the bands), in dB.
    std::vector<double> columnHz;
    std::vector<double> chainDb[2];
    std::vector<double> groupDb[response::kGroupCount];
    bool groupShown[response::kGroupCount] = {};
    double groupHz[response::kGroupCount] = {};
    int hovered = response::kGroupCount;

    Spectrum input, output;
    std::chrono::steady_clock::time_point lastFrame;
};
