#include "Draw.h"

#include <cmath>

namespace art {

void setColour(cairo_t* cr, Colour c) { cairo_set_source_rgba(cr, c.r, c.g, c.b, c.a); }

void roundedRect(cairo_t* cr, double x, double y, double w, double h, double r) {
    const double k = kPi / 180.0;
    cairo_new_sub_path(cr);
    cairo_arc(cr, x + w - r, y + r, r, -90 * k, 0);
    cairo_arc(cr, x + w - r, y + h - r, r, 0, 90 * k);
    cairo_arc(cr, x + r, y + h - r, r, 90 * k, 180 * k);
    cairo_arc(cr, x + r, y + r, r, 180 * k, 270 * k);
    cairo_close_path(cr);
}

void setFace(cairo_t* cr, Face face, double size) {
    const bool serif = face == Face::Logo;
    const bool bold = face == Face::Label || face == Face::Title;
    cairo_select_font_face(cr, serif ? "DejaVu Serif" : "DejaVu Sans", CAIRO_FONT_SLANT_NORMAL,
                           bold ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL);
    cairo_matrix_t m;
    switch (face) {
        case Face::Label:
            cairo_matrix_init(&m, size * 0.84, 0, 0, size, 0, 0);
            break;
        case Face::Small:
            // Narrow, so numbers tall enough to read fit between the controls.
            cairo_matrix_init(&m, size * 0.72, 0, 0, size, 0, 0);
            break;
        case Face::Logo:
            cairo_matrix_init(&m, size, 0, -0.22 * size, size, 0, 0);
            break;
        case Face::Title:
            cairo_matrix_init_scale(&m, size, size);
            break;
    }
    cairo_set_font_matrix(cr, &m);

    cairo_font_options_t* options = cairo_font_options_create();
    cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
    cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_SLIGHT);
    cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_ON);
    cairo_set_font_options(cr, options);
    cairo_font_options_destroy(options);
}

namespace {
double originX(const cairo_text_extents_t& e, double x, Align align) {
    switch (align) {
        case Align::Left: return x - e.x_bearing;
        case Align::Centre: return x - e.x_bearing - e.width / 2;
        case Align::Right: return x - e.x_bearing - e.width;
    }
    return x;
}
}  // namespace

Box textBox(cairo_t* cr, const char* text, Face face, double size, double x, double y,
            Align align) {
    setFace(cr, face, size);
    cairo_text_extents_t e;
    cairo_text_extents(cr, text, &e);
    const double ox = originX(e, x, align);
    return {ox + e.x_bearing, y + e.y_bearing, e.width, e.height};
}

void drawText(cairo_t* cr, const char* text, Face face, double size, double x, double y,
              Align align, Colour colour) {
    setFace(cr, face, size);
    cairo_text_extents_t e;
    cairo_text_extents(cr, text, &e);
    // Whole-pixel origins keep small type crisp.
    cairo_move_to(cr, std::round(originX(e, x, align)), std::round(y));
    setColour(cr, colour);
    cairo_show_text(cr, text);
    cairo_new_path(cr);
}

void drawEngraved(cairo_t* cr, const char* text, Face face, double size, double x, double y,
                  Align align, Colour colour) {
    drawText(cr, text, face, size, x, y - 1, align, rgb(0, 0, 0, 0.45));
    drawText(cr, text, face, size, x, y, align, colour);
}

void drawLamp(cairo_t* cr, double cx, double cy, double r, Colour lit, double glow) {
    if (glow > 0.6) {
        // Halo around a fully lit lens.
        cairo_pattern_t* halo = cairo_pattern_create_radial(cx, cy, r * 0.5, cx, cy, r * 2.2);
        cairo_pattern_add_color_stop_rgba(halo, 0, lit.r, lit.g, lit.b, 0.55 * glow);
        cairo_pattern_add_color_stop_rgba(halo, 1, lit.r, lit.g, lit.b, 0);
        cairo_set_source(cr, halo);
        cairo_arc(cr, cx, cy, r * 2.2, 0, 2 * kPi);
        cairo_fill(cr);
        cairo_pattern_destroy(halo);
    }
    // Bezel
    setColour(cr, rgb(14, 13, 12));
    cairo_arc(cr, cx, cy, r + 1.2, 0, 2 * kPi);
    cairo_fill(cr);

    const Colour dark = mix(rgb(20, 18, 16), lit, 0.22);
    const Colour centre = mix(dark, mix(lit, rgb(255, 255, 240), 0.55), glow);
    const Colour edge = mix(dark, lit, glow * 0.9);
    cairo_pattern_t* lens = cairo_pattern_create_radial(cx - r * 0.25, cy - r * 0.3, 0, cx, cy, r);
    cairo_pattern_add_color_stop_rgba(lens, 0, centre.r, centre.g, centre.b, 1);
    cairo_pattern_add_color_stop_rgba(lens, 1, edge.r, edge.g, edge.b, 1);
    cairo_set_source(cr, lens);
    cairo_arc(cr, cx, cy, r, 0, 2 * kPi);
    cairo_fill(cr);
    cairo_pattern_destroy(lens);

    // Specular glint
    setColour(cr, rgb(255, 255, 255, 0.18 + 0.25 * glow));
    cairo_arc(cr, cx - r * 0.35, cy - r * 0.4, r * 0.32, 0, 2 * kPi);
    cairo_fill(cr);
}

double knobAngle(int frame, int frames) {
    if (frames < 2) return kKnobStartDeg;
    return kKnobStartDeg + kKnobSweepDeg * frame / (frames - 1);
}

double angleDx(double degrees) { return std::sin(degrees * kPi / 180.0); }
double angleDy(double degrees) { return -std::cos(degrees * kPi / 180.0); }

}  // namespace art
