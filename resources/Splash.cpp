// The about picture. The editor writes the version ("v.1.8.0") over it in
// dark grey, in a 39 x 10 box whose left edge is 65 px right of the picture's
// centre and whose top is 47 px above it; the name is placed so that the
// version sits at its upper right, and that box is left plain.

#include <cmath>

#include "Artwork.h"
#include "Draw.h"

namespace art {

namespace {

void paintPaper(cairo_t* cr, int w, int h) {
    cairo_pattern_t* g = cairo_pattern_create_radial(w * 0.45, h * 0.4, 20, w * 0.5, h * 0.5, w * 0.6);
    cairo_pattern_add_color_stop_rgb(g, 0, pal::paper.r, pal::paper.g, pal::paper.b);
    cairo_pattern_add_color_stop_rgb(g, 1, pal::paperShade.r, pal::paperShade.g,
                                     pal::paperShade.b);
    cairo_set_source(cr, g);
    cairo_paint(cr);
    cairo_pattern_destroy(g);

    Noise noise(4242u);
    for (int i = 0; i < 2500; ++i) {
        setColour(cr, rgb(120, 100, 60, 0.05 + 0.05 * noise.next()));
        cairo_rectangle(cr, std::floor(noise.next() * w), std::floor(noise.next() * h), 1, 1);
        cairo_fill(cr);
    }

    setColour(cr, withAlpha(mix(pal::moss, pal::ink, 0.45), 0.8));
    cairo_set_line_width(cr, 1);
    roundedRect(cr, 6.5, 6.5, w - 13, h - 13, 6);
    cairo_stroke(cr);
}

// A gentle response curve: a warm low shelf, a soft presence lift, an airy top.
double curve(double t) {
    const double shelf = 0.35 / (1 + std::exp((t - 0.2) * 18));
    const double presence = 0.45 * std::exp(-std::pow((t - 0.62) / 0.1, 2));
    const double air = 0.3 / (1 + std::exp(-(t - 0.9) * 25));
    return shelf + presence + air;
}

void paintCurve(cairo_t* cr, double x0, double x1, double base, double height) {
    const int n = 120;
    cairo_move_to(cr, x0, base);
    for (int i = 0; i <= n; ++i) {
        const double t = double(i) / n;
        cairo_line_to(cr, x0 + (x1 - x0) * t, base - height * curve(t));
    }
    cairo_line_to(cr, x1, base);
    cairo_close_path(cr);
    setColour(cr, withAlpha(pal::moss, 0.16));
    cairo_fill(cr);

    for (int i = 0; i <= n; ++i) {
        const double t = double(i) / n;
        const double x = x0 + (x1 - x0) * t, y = base - height * curve(t);
        if (i == 0)
            cairo_move_to(cr, x, y);
        else
            cairo_line_to(cr, x, y);
    }
    setColour(cr, withAlpha(mix(pal::moss, pal::ink, 0.35), 0.6));
    cairo_set_line_width(cr, 1.5);
    cairo_stroke(cr);

    setColour(cr, withAlpha(pal::ink, 0.2));
    cairo_set_line_width(cr, 1);
    cairo_move_to(cr, x0, std::floor(base) + 0.5);
    cairo_line_to(cr, x1, std::floor(base) + 0.5);
    cairo_stroke(cr);
}

}  // namespace

void paintSplash(cairo_t* cr, int w, int h) {
    paintPaper(cr, w, h);
    paintCurve(cr, 24, w - 24, h - 22, 64);

    // The editor's centre: whole pixels, halves dropped.
    const double cx = w / 2, cy = h / 2;
    const Box version{cx + 65, cy - 47, 39, 10};

    // Name, ending just left of the version box and sitting on its level.
    const double nameBase = version.bottom() + 22;
    const Box name =
        textBox(cr, "sylvatone", Face::Logo, 46, version.x - 6, nameBase, Align::Right);
    drawText(cr, "sylvatone", Face::Logo, 46, version.x - 6, nameBase, Align::Right,
             mix(pal::moss, pal::ink, 0.5));
    // The lines below centre on the name and version together.
    const double mid = (name.x + version.right()) / 2;

    drawText(cr, "Z Y M", Face::Label, 9, name.x + name.w / 2, name.y - 8, Align::Centre,
             withAlpha(pal::ink, 0.8));
    drawText(cr, "soft acoustic eq", Face::Small, 15, mid, nameBase + 26, Align::Centre, pal::ink);
    drawText(cr, "version 1.8  \xC2\xB7  VST 2.4 effect for 64-bit Linux", Face::Small, 9, mid,
             nameBase + 48, Align::Centre, withAlpha(pal::ink, 0.85));
    drawText(cr, "click anywhere to close", Face::Label, 9, mid, h - 18, Align::Centre,
             withAlpha(pal::ink, 0.7));
}

}  // namespace art
