#include <cmath>
#include <cstdio>

#include "Artwork.h"

namespace art {

namespace {

Picture knob(int id, Point at, int frames, KnobScale scale) {
    return {id, kKnobSize, kKnobSize, frames, true, at,
            [frames, scale](cairo_t* cr, int f) { paintKnob(cr, f, frames, scale); }};
}

Picture horizontalSwitch(int id, Point at, int positions) {
    return {id, switchCell(positions) * positions, kSwitchH, positions, true, at,
            [positions](cairo_t* cr, int f) { paintSwitch(cr, f, positions); }};
}

Picture onOff(int id, Point at, Colour lamp) {
    return {id, kButtonW, kButtonH, 2, true, at,
            [lamp](cairo_t* cr, int f) { paintOnOffButton(cr, f == 1, lamp); }};
}

Picture stripKey(const StripKey& k) {
    std::function<void(cairo_t*, int)> paint;
    const int w = k.w, h = k.h;
    switch (k.id) {
        case 19997: paint = [w, h](cairo_t* cr, int f) { paintRocker(cr, w, h, f); }; break;
        case 19990:
            paint = [w, h](cairo_t* cr, int f) { paintStripTextKey(cr, w, h, f, "BANK"); };
            break;
        case 19899:
            paint = [w, h](cairo_t* cr, int f) { paintStripTextKey(cr, w, h, f, "PRESET"); };
            break;
        default: {
            StripIcon icon = StripIcon::Manual;
            if (k.id == 19994 || k.id == 19999) icon = StripIcon::Save;
            if (k.id == 19993 || k.id == 19998) icon = StripIcon::Load;
            if (k.id == 19995 || k.id == 19996) icon = StripIcon::Store;
            if (k.id == 19991 || k.id == 19992) icon = StripIcon::Recall;
            paint = [w, h, icon](cairo_t* cr, int f) { paintStripKey(cr, w, h, f, icon); };
        }
    }
    return {k.id, k.w, k.h, k.frames, true, k.at, paint};
}

}  // namespace

std::vector<Picture> catalogue() {
    std::vector<Picture> all;
    all.push_back({kBackgroundId, kWindowW, kWindowH, 1, false, {0, 0},
                   [](cairo_t* cr, int) { paintBackground(cr); }});

    all.push_back(knob(bitmapOf(6), kOutputKnob, layout::control(6).frames, KnobScale::Bipolar));
    all.push_back(knob(bitmapOf(9), kLowCutKnob, layout::control(9).frames, KnobScale::Stepped));
    all.push_back({layout::kLampBitmap, kLampSize, kLampSize, layout::kLampFrames, true, kClipLamp,
                   [](cairo_t* cr, int f) { paintClipLamp(cr, f); }});
    all.push_back(onOff(bitmapOf(0), kEqAllButton, pal::lampGreen));
    all.push_back(onOff(bitmapOf(7), kSatButton, pal::lampOrange));
    all.push_back(horizontalSwitch(bitmapOf(1), kLsrSwitch, layout::control(1).frames));

    for (const BandLayout& b : kBands) {
        all.push_back(knob(b.gainKnobId, b.gainKnob, 31, KnobScale::Bipolar));
        all.push_back(horizontalSwitch(b.freqSwitchId, b.freqSwitch, b.positions));
        all.push_back(onOff(b.onButtonId, b.onButton, pal::lampGreen));
        all.push_back(onOff(b.qButtonId, b.qButton, pal::lampAmber));
    }

    for (const StripKey& k : kStripKeys) all.push_back(stripKey(k));

    // The about box covers the whole window from its top-left corner.
    all.push_back({layout::kSplashBitmap, kWindowW, kWindowH, 1, false, {0, 0},
                   [](cairo_t* cr, int) { paintSplash(cr, kWindowW, kWindowH); }});
    return all;
}

int scaled(int size, double scale) {
    return static_cast<int>(std::lround(size * scale));
}

cairo_surface_t* render(const Picture& p, cairo_surface_t* panel, double scale) {
    // Each frame is drawn at the scale into a whole number of pixels.
    const int w = scaled(p.width, scale), h = scaled(p.frameHeight, scale);
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h * p.frames);
    cairo_t* cr = cairo_create(surface);
    for (int f = 0; f < p.frames; ++f) {
        cairo_save(cr);
        cairo_translate(cr, 0, f * h);
        cairo_rectangle(cr, 0, 0, w, h);
        cairo_clip(cr);
        if (p.onPanel && panel) {
            cairo_set_source_surface(cr, panel, -scaled(p.at.x, scale), -scaled(p.at.y, scale));
            cairo_paint(cr);
        }
        if (scale != 1.0)
            cairo_scale(cr, double(w) / p.width, double(h) / p.frameHeight);
        p.paint(cr, f);
        cairo_restore(cr);
    }
    cairo_destroy(cr);
    cairo_surface_flush(surface);
    return surface;
}

std::string fileName(int id, double scale) {
    char name[48];
    if (scale == 1.0)
        std::snprintf(name, sizeof name, "bmp%05d.png", id);
    else
        std::snprintf(name, sizeof name, "bmp%05d@%gx.png", id, scale);
    return name;
}

}  // namespace art
