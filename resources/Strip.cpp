// The preset strip's small keys: save/load, store/recall, defaults, the
// previous/next rocker and the manual.

#include <cmath>

#include "Artwork.h"
#include "Draw.h"

namespace art {

namespace {

enum KeyState { kRest = 0, kHover = 1, kPressed = 2 };

void paintKeyBody(cairo_t* cr, double x, double y, double w, double h, int state) {
    roundedRect(cr, x + 0.5, y + 0.5, w - 1, h - 1, 2.5);
    setColour(cr, rgb(38, 35, 31));
    cairo_fill(cr);

    Colour top = rgb(100, 94, 86), bottom = rgb(64, 60, 55);
    if (state == kHover) top = rgb(128, 120, 108), bottom = rgb(84, 78, 71);
    if (state == kPressed) top = rgb(44, 41, 37), bottom = rgb(70, 66, 60);
    cairo_pattern_t* g = cairo_pattern_create_linear(0, y + 1, 0, y + h - 1);
    cairo_pattern_add_color_stop_rgb(g, 0, top.r, top.g, top.b);
    cairo_pattern_add_color_stop_rgb(g, 1, bottom.r, bottom.g, bottom.b);
    cairo_set_source(cr, g);
    roundedRect(cr, x + 1.5, y + 1.5, w - 3, h - 3, 1.8);
    cairo_fill(cr);
    cairo_pattern_destroy(g);
}

Colour inkFor(int state) {
    return state == kPressed ? pal::amber : state == kHover ? rgb(255, 250, 236) : pal::engraving;
}

// A tray with an arrow going into it (save, store) or out of it (load, recall).
void paintTrayArrow(cairo_t* cr, double cx, double cy, bool into, Colour ink) {
    setColour(cr, ink);
    cairo_set_line_width(cr, 1.0);
    cairo_move_to(cr, cx - 3, cy + 1);
    cairo_line_to(cr, cx - 3, cy + 3);
    cairo_line_to(cr, cx + 3, cy + 3);
    cairo_line_to(cr, cx + 3, cy + 1);
    cairo_stroke(cr);
    cairo_move_to(cr, cx, cy - 4);
    cairo_line_to(cr, cx, cy + 1.5);
    cairo_stroke(cr);
    const double tip = into ? cy + 2.2 : cy - 4.5;
    const double back = into ? cy - 0.8 : cy - 1.5;
    cairo_move_to(cr, cx - 2.5, back);
    cairo_line_to(cr, cx, tip);
    cairo_line_to(cr, cx + 2.5, back);
    cairo_close_path(cr);
    cairo_fill(cr);
}

// Memory keys flank their slot letter: store points into it ("->|"),
// recall leads out of it ("|->").
void paintSlotArrow(cairo_t* cr, double cx, double cy, bool store, Colour ink) {
    setColour(cr, ink);
    cairo_set_line_width(cr, 1.0);
    const double barX = store ? cx + 3 : cx - 3;
    cairo_move_to(cr, barX, cy - 3.5);
    cairo_line_to(cr, barX, cy + 3.5);
    cairo_stroke(cr);
    const double x0 = store ? cx - 4 : cx - 2;
    const double tipX = store ? cx + 2 : cx + 4.5;
    cairo_move_to(cr, x0, cy);
    cairo_line_to(cr, tipX - 2, cy);
    cairo_stroke(cr);
    cairo_move_to(cr, tipX - 3, cy - 2.5);
    cairo_line_to(cr, tipX, cy);
    cairo_line_to(cr, tipX - 3, cy + 2.5);
    cairo_close_path(cr);
    cairo_fill(cr);
}

void paintTriangle(cairo_t* cr, double cx, double cy, bool left, Colour ink) {
    const double s = left ? -1 : 1;
    setColour(cr, ink);
    cairo_move_to(cr, cx + 2.5 * s, cy);
    cairo_line_to(cr, cx - 2 * s, cy - 3.5);
    cairo_line_to(cr, cx - 2 * s, cy + 3.5);
    cairo_close_path(cr);
    cairo_fill(cr);
}

}  // namespace

void paintStripKey(cairo_t* cr, int w, int h, int frame, StripIcon icon) {
    paintKeyBody(cr, 0, 0, w, h, frame);
    const double nudge = frame == kPressed ? 0.5 : 0.0;
    // Pixel centres, so one-pixel strokes stay sharp.
    const double cx = std::floor(w / 2.0) + 0.5, cy = std::floor(h / 2.0) - 0.5 + nudge;
    const Colour ink = inkFor(frame);
    switch (icon) {
        case StripIcon::Save: paintTrayArrow(cr, cx, cy, true, ink); break;
        case StripIcon::Load: paintTrayArrow(cr, cx, cy, false, ink); break;
        case StripIcon::Store: paintSlotArrow(cr, cx, cy, true, ink); break;
        case StripIcon::Recall: paintSlotArrow(cr, cx, cy, false, ink); break;
        case StripIcon::Manual:
            drawText(cr, "?", Face::Title, 10, cx, cy + 3.6, Align::Centre, ink);
            break;
    }
}

void paintStripTextKey(cairo_t* cr, int w, int h, int frame, const char* text) {
    paintKeyBody(cr, 0, 0, w, h, frame);
    const double nudge = frame == kPressed ? 0.5 : 0.0;
    drawText(cr, text, Face::Label, 7, w / 2.0, h / 2.0 + 2.6 + nudge, Align::Centre,
             inkFor(frame));
}

void paintRocker(cairo_t* cr, int w, int h, int frame) {
    const int left = frame == 3 ? kPressed : frame == 1 ? kHover : kRest;
    const int right = frame == 4 ? kPressed : frame == 2 ? kHover : kRest;
    const double half = w / 2.0;
    // The two halves share one outline; the left one is a pixel narrower
    // when the width is odd.
    cairo_save(cr);
    cairo_rectangle(cr, 0, 0, std::floor(half), h);
    cairo_clip(cr);
    paintKeyBody(cr, 0, 0, w, h, left);
    cairo_restore(cr);
    cairo_save(cr);
    cairo_rectangle(cr, std::floor(half), 0, w - std::floor(half), h);
    cairo_clip(cr);
    paintKeyBody(cr, 0, 0, w, h, right);
    cairo_restore(cr);
    setColour(cr, rgb(30, 28, 25));
    cairo_rectangle(cr, std::floor(half), 1, 1, h - 2);
    cairo_fill(cr);

    const double cy = h / 2.0;
    paintTriangle(cr, half / 2, cy + (left == kPressed ? 0.5 : 0), true, inkFor(left));
    paintTriangle(cr, half + half / 2 + 0.5, cy + (right == kPressed ? 0.5 : 0), false,
                  inkFor(right));
}

}  // namespace art
