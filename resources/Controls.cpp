// Knobs, horizontal switches, on/off buttons and the overload lamp.

#include <algorithm>
#include <cmath>

#include "Artwork.h"
#include "Draw.h"

namespace art {

namespace {

double rad(double degrees) { return degrees * kPi / 180.0; }

// cairo's arcs start at 3 o'clock; knob angles start at 12.
double arcAngle(double degrees) { return rad(degrees - 90.0); }

void radialLine(cairo_t* cr, double cx, double cy, double degrees, double r0, double r1) {
    const double dx = angleDx(degrees), dy = angleDy(degrees);
    cairo_move_to(cr, cx + dx * r0, cy + dy * r0);
    cairo_line_to(cr, cx + dx * r1, cy + dy * r1);
    cairo_stroke(cr);
}

void paintKnobScale(cairo_t* cr, double c, int frames, KnobScale scale) {
    // Bipolar: a tick every 2.5 dB, long ones every 5 dB; stepped: one per step.
    const int ticks = scale == KnobScale::Bipolar ? 13 : frames;
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    for (int t = 0; t < ticks; ++t) {
        const double a = knobAngle(t, ticks);
        const bool major = scale == KnobScale::Stepped || t % 2 == 0;
        const bool centre = scale == KnobScale::Bipolar && t == ticks / 2;
        setColour(cr, major ? pal::engraving : pal::engravingDim);
        cairo_set_line_width(cr, centre ? 1.6 : major ? 1.2 : 0.9);
        radialLine(cr, c, c, a, 20.0, major ? 23.0 : 22.0);
    }
}

void paintValueArc(cairo_t* cr, double c, double degrees, KnobScale scale) {
    const double r = 18.0;
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_BUTT);
    cairo_set_line_width(cr, 2.0);
    setColour(cr, rgb(0, 0, 0, 0.45));
    cairo_arc(cr, c, c, r, arcAngle(kKnobStartDeg), arcAngle(kKnobStartDeg + kKnobSweepDeg));
    cairo_stroke(cr);

    const double from = scale == KnobScale::Bipolar ? 0.0 : kKnobStartDeg;
    const double lo = std::min(from, degrees), hi = std::max(from, degrees);
    if (hi - lo < 0.5) return;
    setColour(cr, pal::amber);
    cairo_arc(cr, c, c, r, arcAngle(lo), arcAngle(hi));
    cairo_stroke(cr);
}

}  // namespace

void paintKnob(cairo_t* cr, int frame, int frames, KnobScale scale) {
    const double c = kKnobSize / 2.0;
    const double a = knobAngle(frame, frames);
    paintKnobScale(cr, c, frames, scale);
    paintValueArc(cr, c, a, scale);

    // Drop shadow.
    cairo_pattern_t* shadow = cairo_pattern_create_radial(c + 0.8, c + 1.8, 12, c + 0.8, c + 1.8, 17.5);
    cairo_pattern_add_color_stop_rgba(shadow, 0, 0, 0, 0, 0.6);
    cairo_pattern_add_color_stop_rgba(shadow, 1, 0, 0, 0, 0);
    cairo_set_source(cr, shadow);
    cairo_arc(cr, c + 0.8, c + 1.8, 17.5, 0, 2 * kPi);
    cairo_fill(cr);
    cairo_pattern_destroy(shadow);

    // Skirt with knurling that turns with the knob.
    const double skirt = 15.5;
    setColour(cr, rgb(26, 24, 22));
    cairo_arc(cr, c, c, skirt, 0, 2 * kPi);
    cairo_fill(cr);
    cairo_set_line_width(cr, 1.0);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_BUTT);
    setColour(cr, rgb(120, 114, 104, 0.35));
    for (int k = 0; k < 36; ++k) radialLine(cr, c, c, a + k * 10.0, 12.8, skirt - 0.5);

    // Cap, lit from the upper left.
    const double cap = 12.0;
    cairo_pattern_t* g = cairo_pattern_create_linear(c - cap, c - cap, c + cap, c + cap);
    cairo_pattern_add_color_stop_rgb(g, 0, pal::capLight.r, pal::capLight.g, pal::capLight.b);
    cairo_pattern_add_color_stop_rgb(g, 1, pal::capDark.r, pal::capDark.g, pal::capDark.b);
    cairo_set_source(cr, g);
    cairo_arc(cr, c, c, cap, 0, 2 * kPi);
    cairo_fill(cr);
    cairo_pattern_destroy(g);
    cairo_set_line_width(cr, 0.8);
    setColour(cr, rgb(255, 250, 235, 0.18));
    cairo_arc(cr, c, c, cap - 0.4, rad(180), rad(300));
    cairo_stroke(cr);

    // Pointer line across cap and skirt.
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_set_line_width(cr, 3.2);
    setColour(cr, rgb(0, 0, 0, 0.5));
    radialLine(cr, c, c, a, 4.0, skirt - 1.0);
    cairo_set_line_width(cr, 2.0);
    setColour(cr, pal::pointer);
    radialLine(cr, c, c, a, 4.0, skirt - 1.0);
}

void paintSwitch(cairo_t* cr, int selected, int positions) {
    const double cell = switchCell(positions);
    const double w = cell * positions;
    const double h = kSwitchH;

    // Slot the lever runs in.
    roundedRect(cr, 1, h / 2 - 3, w - 2, 6, 3);
    setColour(cr, pal::slot);
    cairo_fill_preserve(cr);
    setColour(cr, rgb(255, 250, 235, 0.12));
    cairo_set_line_width(cr, 1);
    cairo_stroke(cr);

    // Detent dots at every position.
    for (int i = 0; i < positions; ++i) {
        setColour(cr, withAlpha(pal::engravingDim, 0.55));
        cairo_arc(cr, (i + 0.5) * cell, h / 2, 1.0, 0, 2 * kPi);
        cairo_fill(cr);
    }

    // The lever at the selected position, with its lit mark.
    const double cw = std::min(cell - 2.0, 12.0);
    const double x = (selected + 0.5) * cell - cw / 2;
    setColour(cr, rgb(0, 0, 0, 0.45));
    roundedRect(cr, x + 0.5, 1.5, cw, h - 2, 2);
    cairo_fill(cr);
    cairo_pattern_t* g = cairo_pattern_create_linear(0, 1, 0, h - 1);
    cairo_pattern_add_color_stop_rgb(g, 0, 0.50, 0.48, 0.44);
    cairo_pattern_add_color_stop_rgb(g, 1, 0.20, 0.19, 0.17);
    cairo_set_source(cr, g);
    roundedRect(cr, x, 1, cw, h - 2, 2);
    cairo_fill(cr);
    cairo_pattern_destroy(g);
    setColour(cr, pal::amber);
    cairo_rectangle(cr, x + cw / 2 - 1, 4, 2, h - 8);
    cairo_fill(cr);
}

void paintOnOffButton(cairo_t* cr, bool on, Colour lamp) {
    const double w = kButtonW, h = kButtonH;
    roundedRect(cr, 0.5, 0.5, w - 1, h - 1, 3.5);
    setColour(cr, rgb(12, 11, 10));
    cairo_fill(cr);

    // A pressed-in button is lit from below.
    cairo_pattern_t* g = cairo_pattern_create_linear(0, 1, 0, h - 1);
    const Colour top = on ? pal::capDark : pal::capLight;
    const Colour bottom = on ? pal::capLight : pal::capDark;
    cairo_pattern_add_color_stop_rgb(g, 0, top.r, top.g, top.b);
    cairo_pattern_add_color_stop_rgb(g, 1, bottom.r, bottom.g, bottom.b);
    cairo_set_source(cr, g);
    roundedRect(cr, 1.5, 1.5, w - 3, h - 3, 2.5);
    cairo_fill(cr);
    cairo_pattern_destroy(g);

    cairo_save(cr);
    roundedRect(cr, 1.5, 1.5, w - 3, h - 3, 2.5);
    cairo_clip(cr);
    drawLamp(cr, w / 2, h / 2 + (on ? 0.5 : 0), 3.0, lamp, on ? 1.0 : 0.0);
    cairo_restore(cr);
}

void paintClipLamp(cairo_t* cr, int frame) {
    const double glow = frame == 0 ? 0.0 : frame == 1 ? 0.5 : 1.0;
    drawLamp(cr, kLampSize / 2.0, kLampSize / 2.0, 5.0, pal::lampRed, glow);
}

}  // namespace art
