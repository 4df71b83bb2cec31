// Every picture of the editor: what it is, how big, and who paints it.
#pragma once

#include <cairo.h>

#include <functional>
#include <string>
#include <vector>

#include "Sizes.h"
#include "Palette.h"

namespace art {

constexpr int kBackgroundId = layout::kBackgroundBitmap;

// Painters draw one frame with its top-left corner at the origin.

// Panel.cpp
void paintBackground(cairo_t* cr);

// Controls.cpp
enum class KnobScale {
    Bipolar,  // -15 .. +15 dB, value arc grows from the centre
    Stepped,  // one tick per frame, value arc grows from the start
};
void paintKnob(cairo_t* cr, int frame, int frames, KnobScale scale);
void paintSwitch(cairo_t* cr, int selected, int positions);
void paintOnOffButton(cairo_t* cr, bool on, Colour lamp);
// Overload lamp frames: 0 off, 1 held (a clip happened earlier), 2 clipping now.
void paintClipLamp(cairo_t* cr, int frame);

// Strip.cpp. Key frames: 0 at rest, 1 under the mouse, 2 pressed.
enum class StripIcon { Save, Load, Store, Recall, Manual };
void paintStripKey(cairo_t* cr, int w, int h, int frame, StripIcon icon);
void paintStripTextKey(cairo_t* cr, int w, int h, int frame, const char* text);
// Rocker frames: 0 at rest, 1/2 left/right half under the mouse,
// 3/4 left/right half pressed.
void paintRocker(cairo_t* cr, int w, int h, int frame);

// Splash.cpp
void paintSplash(cairo_t* cr, int w, int h);

struct Picture {
    int id;
    int width, frameHeight, frames;
    // Controls are drawn over a copy of the panel beneath them, so they match
    // the background exactly whether the editor blends or copies bitmaps.
    bool onPanel;
    Point at;
    std::function<void(cairo_t*, int frame)> paint;
};

std::vector<Picture> catalogue();

// Draws all frames of a picture at a scale (1 is the window's own size);
// panel is the background rendered at the same scale, needed by pictures
// that sit on it. Each frame is a whole number of pixels: its size times the
// scale, rounded. The caller owns the returned surface.
cairo_surface_t* render(const Picture& picture, cairo_surface_t* panel, double scale = 1.0);

// "bmp" + the resource number in five digits + ".png"; at another scale
// "@" + the scale + "x" before ".png" (bmp11500@2x.png, bmp11500@1.5x.png).
std::string fileName(int id, double scale = 1.0);

}  // namespace art
