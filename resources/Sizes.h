// How big the artwork draws each picture, and the window's positions as the
// drawing code uses them, taken from the one layout table. Sizes are this
// artwork's own choice, picked so that no two controls overlap and every
// label fits between them.
#pragma once

#include <array>

#include "resources/Layout.h"

namespace art {

struct Point {
    int x, y;
};

struct Box {
    double x, y, w, h;
    double right() const { return x + w; }
    double bottom() const { return y + h; }
    bool intersects(const Box& o) const {
        return x < o.right() && o.x < right() && y < o.bottom() && o.y < bottom();
    }
};

constexpr int kWindowW = layout::kWindowW;
constexpr int kWindowH = layout::kWindowH;

// One frame of each kind of control.
constexpr int kKnobSize = 48;       // knob film strips, square frames
constexpr int kButtonW = 28;        // on/off buttons
constexpr int kButtonH = 16;
constexpr int kLampSize = 16;       // overload lamp
constexpr int kSwitchH = 16;        // horizontal switches
// Width of one position of a horizontal switch, by number of positions; the
// switch is that many equal parts wide.
constexpr int switchCell(int positions) {
    return positions == 3 ? 24 : positions == 5 ? 11 : 9;
}

// The lighter strip along the bottom that carries the preset controls.
constexpr int kStripTop = layout::kStripTop;

constexpr Point at(int tag) { return {layout::control(tag).x, layout::control(tag).y}; }
constexpr int bitmapOf(int tag) { return layout::control(tag).bitmap; }
constexpr Box box(const layout::Rect& r) {
    return {double(r.left), double(r.top), double(r.width()), double(r.height())};
}

// Editor positions of the equaliser's own controls.
constexpr Point kOutputKnob = at(6);
constexpr Point kLowCutKnob = at(9);
constexpr Point kClipLamp{layout::kLampX, layout::kLampY};
constexpr Point kEqAllButton = at(0);
constexpr Point kSatButton = at(7);
constexpr Point kLsrSwitch = at(1);

// The about hot spot: the product name is drawn inside it.
constexpr Box kAboutSpot = box(layout::kAboutSpot);

// Plain areas of the strip that the editor writes text over.
constexpr Box kNameField = box(layout::kNameRow);
constexpr Box kProgramMenu = box(layout::kProgramMenu);
constexpr Box kLatencyMs{double(layout::kLatencyMs.left), double(layout::kLatencyMs.top), 50, 12};
constexpr Box kLatencySamples{double(layout::kLatencySamples.left), double(layout::kLatencySamples.top), 50, 12};

struct BandLayout {
    const char* name;
    int onButtonId, qButtonId, freqSwitchId, gainKnobId;
    Point onButton, qButton, freqSwitch, gainKnob;
    int positions;
    std::array<const char*, 7> steps;  // switch position labels, low to high
};

// A band's controls by the parameter index of its on switch: on, frequency,
// narrow and gain follow it.
constexpr BandLayout band(const char* name, int on, int positions, std::array<const char*, 7> steps) {
    return {name, bitmapOf(on), bitmapOf(on + 2), bitmapOf(on + 1), bitmapOf(on + 3),
            at(on), at(on + 2), at(on + 1), at(on + 3), positions, steps};
}

constexpr std::array<BandLayout, 4> kBands{{
    band("LF", 12, 5, {"30", "42", "60", "85", "120", nullptr, nullptr}),
    band("LMF", 16, 7, {"200", "265", "350", "443", "560", "710", "900"}),
    band("HMF", 20, 7, {"1.5k", "1.9k", "2.5k", "3.3k", "4.3k", "5.6k", "7.2k"}),
    band("HF", 24, 5, {"10k", "12.6k", "16k", "20k", "25k", nullptr, nullptr}),
}};

constexpr std::array<const char*, 11> kLowCutSteps{
    "OFF", "20", "35", "50", "70", "100", "120", "150", "170", "200", "250"};
constexpr std::array<const char*, 3> kLsrSteps{"L", "STEREO", "R"};

// The preset strip's buttons: top-left corners and one frame's size.
struct StripKey {
    int id;
    Point at;
    int w, h, frames;
};
constexpr StripKey stripKey(const layout::StripButton& b) {
    return {b.bitmap, {b.at.left, b.at.top}, b.at.width(), b.at.height(), b.frames};
}
constexpr std::array<StripKey, 12> kStripKeys{{
    stripKey(layout::kStrip[0]), stripKey(layout::kStrip[1]), stripKey(layout::kStrip[2]),
    stripKey(layout::kStrip[3]), stripKey(layout::kStrip[4]), stripKey(layout::kStrip[5]),
    stripKey(layout::kStrip[6]), stripKey(layout::kStrip[7]), stripKey(layout::kStrip[8]),
    stripKey(layout::kStrip[9]), stripKey(layout::kStrip[10]), stripKey(layout::kStrip[11]),
}};
static_assert(std::size(layout::kStrip) == kStripKeys.size(), "one picture per strip button");

// Knob pointer travel: 270 degrees, symmetric about straight up.
constexpr double kKnobStartDeg = -135.0;
constexpr double kKnobSweepDeg = 270.0;

inline Box knobBox(Point p) { return {double(p.x), double(p.y), kKnobSize, kKnobSize}; }
inline Box buttonBox(Point p) { return {double(p.x), double(p.y), kButtonW, kButtonH}; }
inline Box switchBox(Point p, int positions) {
    return {double(p.x), double(p.y), double(switchCell(positions) * positions), kSwitchH};
}

}  // namespace art
