// The window background: a warm slate panel with every control's legend, and
// a pale strip along the bottom for the preset controls and the read-outs.

#include <cmath>
#include <vector>

#include "Artwork.h"
#include "Draw.h"

namespace art {

namespace {

constexpr double kLegend = 7.5;    // control names
constexpr double kScale = 11.0;    // step values and scale numbers: digits 8 pixels high
constexpr double kTitle = 12.0;    // band titles
// Baselines of the step values over a switch, lowest first; crowded
// switches spread their values over more rows.
constexpr int kStepRows[] = {134, 125, 116};
constexpr int kMaxStepRows = 3;
constexpr double kLabelGap = 2.0;  // at least this much between two labels
constexpr int kUnderRow = 164;     // legends under the bottom row of controls
constexpr int kUnderKnob = 101;    // legends under the knobs

void paintSlate(cairo_t* cr) {
    cairo_pattern_t* g = cairo_pattern_create_linear(0, 0, 0, kStripTop);
    cairo_pattern_add_color_stop_rgb(g, 0, pal::panelTop.r, pal::panelTop.g, pal::panelTop.b);
    cairo_pattern_add_color_stop_rgb(g, 1, pal::panelBottom.r, pal::panelBottom.g,
                                     pal::panelBottom.b);
    cairo_set_source(cr, g);
    cairo_rectangle(cr, 0, 0, kWindowW, kStripTop);
    cairo_fill(cr);
    cairo_pattern_destroy(g);

    // Fine horizontal grain, like honed stone.
    Noise noise(20240611u);
    cairo_set_line_width(cr, 1);
    for (int i = 0; i < 900; ++i) {
        const double y = std::floor(noise.next() * kStripTop) + 0.5;
        const double x = noise.next() * kWindowW;
        const double len = 20 + noise.next() * 160;
        const bool light = noise.next() < 0.5;
        setColour(cr, light ? rgb(255, 245, 225, 0.025) : rgb(0, 0, 0, 0.05));
        cairo_move_to(cr, x, y);
        cairo_line_to(cr, x + len, y);
        cairo_stroke(cr);
    }

    // Soft darkening towards the ends.
    cairo_pattern_t* v = cairo_pattern_create_linear(0, 0, kWindowW, 0);
    cairo_pattern_add_color_stop_rgba(v, 0, 0, 0, 0, 0.22);
    cairo_pattern_add_color_stop_rgba(v, 0.08, 0, 0, 0, 0);
    cairo_pattern_add_color_stop_rgba(v, 0.92, 0, 0, 0, 0);
    cairo_pattern_add_color_stop_rgba(v, 1, 0, 0, 0, 0.22);
    cairo_set_source(cr, v);
    cairo_rectangle(cr, 0, 0, kWindowW, kStripTop);
    cairo_fill(cr);
    cairo_pattern_destroy(v);

    // Bevels: a light top edge, a shadow where the strip meets the panel.
    setColour(cr, rgb(255, 250, 235, 0.10));
    cairo_rectangle(cr, 0, 0, kWindowW, 1);
    cairo_fill(cr);
}

void paintScrew(cairo_t* cr, double cx, double cy, double turn) {
    setColour(cr, rgb(0, 0, 0, 0.35));
    cairo_arc(cr, cx + 0.5, cy + 0.8, 4.2, 0, 2 * kPi);
    cairo_fill(cr);
    cairo_pattern_t* g = cairo_pattern_create_linear(cx - 4, cy - 4, cx + 4, cy + 4);
    cairo_pattern_add_color_stop_rgb(g, 0, 0.52, 0.50, 0.46);
    cairo_pattern_add_color_stop_rgb(g, 1, 0.22, 0.21, 0.19);
    cairo_set_source(cr, g);
    cairo_arc(cr, cx, cy, 3.8, 0, 2 * kPi);
    cairo_fill(cr);
    cairo_pattern_destroy(g);
    setColour(cr, rgb(20, 18, 16, 0.9));
    cairo_set_line_width(cr, 1.1);
    cairo_move_to(cr, cx - 3 * std::cos(turn), cy - 3 * std::sin(turn));
    cairo_line_to(cr, cx + 3 * std::cos(turn), cy + 3 * std::sin(turn));
    cairo_stroke(cr);
}

void paintStrip(cairo_t* cr) {
    const double h = kWindowH - kStripTop;
    cairo_pattern_t* g = cairo_pattern_create_linear(0, kStripTop, 0, kWindowH);
    cairo_pattern_add_color_stop_rgb(g, 0, pal::birchTop.r, pal::birchTop.g, pal::birchTop.b);
    cairo_pattern_add_color_stop_rgb(g, 1, pal::birchBottom.r, pal::birchBottom.g,
                                     pal::birchBottom.b);
    cairo_set_source(cr, g);
    cairo_rectangle(cr, 0, kStripTop, kWindowW, h);
    cairo_fill(cr);
    cairo_pattern_destroy(g);

    // Faint birch grain.
    Noise noise(7919u);
    cairo_set_line_width(cr, 0.8);
    for (int i = 0; i < 160; ++i) {
        const double y = kStripTop + 2 + noise.next() * (h - 3);
        const double x = noise.next() * kWindowW;
        const double len = 30 + noise.next() * 120;
        setColour(cr, rgb(120, 100, 70, 0.05));
        cairo_move_to(cr, x, y);
        cairo_curve_to(cr, x + len / 3, y + 0.8, x + 2 * len / 3, y - 0.8, x + len, y);
        cairo_stroke(cr);
    }

    // Seam between panel and strip.
    setColour(cr, rgb(12, 11, 10));
    cairo_rectangle(cr, 0, kStripTop, kWindowW, 1);
    cairo_fill(cr);
    setColour(cr, rgb(255, 255, 250, 0.55));
    cairo_rectangle(cr, 0, kStripTop + 1, kWindowW, 1);
    cairo_fill(cr);
}

// A recessed window one pixel around an area that stays a plain colour.
void paintWell(cairo_t* cr, const Box& area, Colour fill) {
    setColour(cr, rgb(70, 62, 52));
    cairo_rectangle(cr, area.x - 1, area.y - 1, area.w + 2, area.h + 2);
    cairo_fill(cr);
    setColour(cr, rgb(255, 255, 250, 0.6));
    cairo_rectangle(cr, area.x - 1, area.bottom(), area.w + 2, 1);
    cairo_fill(cr);
    setColour(cr, fill);
    cairo_rectangle(cr, area.x, area.y, area.w, area.h);
    cairo_fill(cr);
}

void paintStripLegends(cairo_t* cr) {
    // Name field and program menu read as one combo box.
    paintWell(cr, kNameField, pal::nameField);
    paintWell(cr, kProgramMenu, mix(pal::nameField, pal::stripInk, 0.12));
    const double mx = kProgramMenu.x + kProgramMenu.w / 2;
    const double my = kProgramMenu.y + kProgramMenu.h / 2;
    setColour(cr, pal::stripInk);
    cairo_move_to(cr, mx - 3.5, my - 1.5);
    cairo_line_to(cr, mx + 3.5, my - 1.5);
    cairo_line_to(cr, mx, my + 2.5);
    cairo_close_path(cr);
    cairo_fill(cr);

    // Latency read-outs: dark so the light grey figures stand out.
    paintWell(cr, kLatencyMs, pal::readout);
    paintWell(cr, kLatencySamples, pal::readout);
    drawText(cr, "LATENCY", Face::Label, kLegend, kLatencyMs.x - 6, 181, Align::Right,
             pal::stripInk);

    // Memory slots sit between their store and recall keys.
    drawText(cr, "A", Face::Title, 9, 369, 182, Align::Centre, pal::stripInk);
    drawText(cr, "B", Face::Title, 9, 412, 182, Align::Centre, pal::stripInk);

    drawText(cr, "MANUAL", Face::Label, kLegend, 738, 181, Align::Right, pal::stripInk);
}

void paintLogo(cairo_t* cr) {
    // Ends well short of the LF title to its right.
    const double right = kAboutSpot.right() - 16;
    const double base = kAboutSpot.bottom() - 5;
    drawText(cr, "sylvatone", Face::Logo, 21, right + 0.6, base + 1, Align::Right,
             rgb(0, 0, 0, 0.5));
    drawText(cr, "sylvatone", Face::Logo, 21, right, base, Align::Right, pal::moss);
}

// Places a legend on the ray from a knob's centre at the given angle, as close
// as it can go without touching the knob's picture or a legend placed before
// (in placed, which it joins).
void paintRayLabel(cairo_t* cr, const char* text, Point knob, double degrees, Colour colour,
                   std::vector<Box>& placed) {
    const Box keepOut = knobBox(knob);
    const Box guard{keepOut.x - 1, keepOut.y - 1, keepOut.w + 2, keepOut.h + 2};
    const double cx = knob.x + kKnobSize / 2.0;
    const double cy = knob.y + kKnobSize / 2.0;
    const double dx = angleDx(degrees), dy = angleDy(degrees);
    const Box size = textBox(cr, text, Face::Small, kScale, 0, 0, Align::Centre);
    for (double r = kKnobSize / 2.0; r < 80; r += 0.5) {
        const double x = cx + dx * r;
        const double y = cy + dy * r;
        // Centre the ink box on the ray point.
        const double baseline = y - (size.y + size.h / 2);
        const Box ink = textBox(cr, text, Face::Small, kScale, x, baseline, Align::Centre);
        const Box spaced{ink.x - kLabelGap / 2, ink.y - kLabelGap / 2, ink.w + kLabelGap, ink.h + kLabelGap};
        bool free = !spaced.intersects(guard);
        for (const Box& other : placed)
            free = free && !spaced.intersects(other);
        if (free) {
            drawEngraved(cr, text, Face::Small, kScale, x, baseline, Align::Centre, colour);
            placed.push_back(spaced);
            return;
        }
    }
}

void paintGainScale(cairo_t* cr, Point knob, const char* legend) {
    std::vector<Box> placed;
    paintRayLabel(cr, "-15", knob, kKnobStartDeg, pal::engravingDim, placed);
    paintRayLabel(cr, "+15", knob, kKnobStartDeg + kKnobSweepDeg, pal::engravingDim, placed);
    drawEngraved(cr, legend, Face::Label, kLegend, knob.x + kKnobSize / 2.0, kUnderKnob,
                 Align::Centre, pal::engraving);
}

void paintLowCut(cairo_t* cr) {
    const int n = int(kLowCutSteps.size());
    std::vector<Box> placed;
    for (int i = 0; i < n; ++i)
        paintRayLabel(cr, kLowCutSteps[i], kLowCutKnob, knobAngle(i, n), pal::engravingDim, placed);
    drawEngraved(cr, "LOW CUT", Face::Label, kLegend, kLowCutKnob.x + kKnobSize / 2.0,
                 kUnderKnob, Align::Centre, pal::engraving);
}

void paintTick(cairo_t* cr, double x, double y0, double y1) {
    setColour(cr, withAlpha(pal::engravingDim, 0.7));
    cairo_set_line_width(cr, 1);
    cairo_move_to(cr, std::floor(x) + 0.5, y0);
    cairo_line_to(cr, std::floor(x) + 0.5, y1);
    cairo_stroke(cr);
}

// Step values over a horizontal switch, one per equal part of its width;
// where neighbours would touch, they take turns between as many rows as it
// takes, the first value highest.
void paintSwitchSteps(cairo_t* cr, Point at, int positions, const char* const* steps) {
    const Box box = switchBox(at, positions);
    const double cell = switchCell(positions);
    auto xOf = [&](int i) { return at.x + (i + 0.5) * cell; };
    int rows = 1;
    for (; rows < kMaxStepRows; ++rows) {
        bool fits = true;
        for (int i = 0; i + rows < positions; ++i) {
            const Box a = textBox(cr, steps[i], Face::Small, kScale, xOf(i), 0, Align::Centre);
            const Box b = textBox(cr, steps[i + rows], Face::Small, kScale, xOf(i + rows), 0, Align::Centre);
            fits = fits && a.right() + kLabelGap <= b.x;
        }
        if (fits)
            break;
    }
    for (int i = 0; i < positions; ++i) {
        const int baseline = kStepRows[rows - 1 - i % rows];
        drawEngraved(cr, steps[i], Face::Small, kScale, xOf(i), baseline, Align::Centre, pal::engraving);
        paintTick(cr, xOf(i), box.y - 4, box.y - 1);
    }
}

void paintButtonLegend(cairo_t* cr, Point button, const char* title) {
    const double cy = button.y + kButtonH / 2.0;
    if (title)
        drawEngraved(cr, title, Face::Title, kTitle, button.x - 6, cy + 4.5, Align::Right,
                     pal::moss);
    drawEngraved(cr, "ON", Face::Label, kLegend, button.x + kButtonW + 4, cy + 3, Align::Left,
                 pal::engraving);
}

void paintUnder(cairo_t* cr, const Box& control, const char* legend) {
    drawEngraved(cr, legend, Face::Label, kLegend, control.x + control.w / 2, kUnderRow,
                 Align::Centre, pal::engraving);
}

void paintBands(cairo_t* cr) {
    for (const BandLayout& b : kBands) {
        paintButtonLegend(cr, b.onButton, b.name);
        paintGainScale(cr, b.gainKnob, "GAIN");
        paintSwitchSteps(cr, b.freqSwitch, b.positions, b.steps.data());
        paintUnder(cr, switchBox(b.freqSwitch, b.positions), "FREQ Hz");
        paintUnder(cr, buttonBox(b.qButton), "NARROW");
    }
}

void paintMaster(cairo_t* cr) {
    paintButtonLegend(cr, kEqAllButton, "EQ");
    paintGainScale(cr, kOutputKnob, "OUTPUT");
    drawEngraved(cr, "CLIP", Face::Label, kLegend, kClipLamp.x + kLampSize / 2.0,
                 kClipLamp.y + kLampSize + 10, Align::Centre, pal::engraving);
    paintUnder(cr, buttonBox(kSatButton), "SAT");
    paintSwitchSteps(cr, kLsrSwitch, 3, kLsrSteps.data());
}

}  // namespace

void paintBackground(cairo_t* cr) {
    paintSlate(cr);
    paintScrew(cr, 8, 8, 0.6);
    paintScrew(cr, kWindowW - 8, 8, 2.1);
    paintScrew(cr, 8, kStripTop - 9, 1.2);
    paintScrew(cr, kWindowW - 8, kStripTop - 9, 0.2);
    paintStrip(cr);
    paintStripLegends(cr);
    paintLogo(cr);
    paintLowCut(cr);
    paintBands(cr);
    paintMaster(cr);
}

}  // namespace art
