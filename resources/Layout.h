// Where the editor places each picture and how big each picture is drawn.
// Positions are the editor's fixed control positions (window pixels, top-left
// corners); sizes are this artwork's own choice, picked so that no two
// controls overlap and every label fits between them.
#pragma once

#include <array>

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

constexpr int kWindowW = 782;
constexpr int kWindowH = 187;

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
constexpr int kStripTop = 166;

// Editor positions of the equaliser's own controls.
constexpr Point kOutputKnob{642, 35};
constexpr Point kLowCutKnob{21, 35};
constexpr Point kClipLamp{695, 35};
constexpr Point kEqAllButton{706, 4};
constexpr Point kSatButton{680, 140};
constexpr Point kLsrSwitch{60, 140};

// The about hot spot: the product name is drawn inside it.
constexpr Box kAboutSpot{34, 12, 154, 19};

// Plain areas of the strip that the editor writes text over.
constexpr Box kNameField{175, 171, 117, 14};
constexpr Box kProgramMenu{293, 171, 12, 14};
constexpr Box kLatencyMs{580, 171, 50, 12};
constexpr Box kLatencySamples{652, 171, 50, 12};

struct BandLayout {
    const char* name;
    int onButtonId, qButtonId, freqSwitchId, gainKnobId;
    Point onButton, qButton, freqSwitch, gainKnob;
    int positions;
    std::array<const char*, 7> steps;  // switch position labels, low to high
};

constexpr std::array<BandLayout, 4> kBands{{
    {"LF", 11543, 11545, 11516, 11571, {212, 4}, {240, 140}, {180, 140}, {148, 35}, 5,
     {"30", "42", "60", "85", "120", nullptr, nullptr}},
    {"LMF", 11546, 11577, 11547, 11572, {336, 4}, {365, 140}, {294, 140}, {271, 35}, 7,
     {"200", "265", "350", "443", "560", "710", "900"}},
    {"HMF", 11548, 11578, 11549, 11573, {462, 4}, {489, 140}, {418, 140}, {394, 35}, 7,
     {"1.5k", "1.9k", "2.5k", "3.3k", "4.3k", "5.6k", "7.2k"}},
    {"HF", 11552, 11579, 11517, 11553, {585, 4}, {611, 140}, {551, 140}, {517, 35}, 5,
     {"10k", "12.6k", "16k", "20k", "25k", nullptr, nullptr}},
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
constexpr std::array<StripKey, 12> kStripKeys{{
    {19997, {313, 171}, 31, 14, 5},  // previous / next rocker
    {19993, {70, 171}, 12, 14, 3},   // load bank
    {19994, {20, 171}, 12, 14, 3},   // save bank
    {19990, {32, 173}, 37, 10, 3},   // default bank
    {19998, {150, 171}, 12, 14, 3},  // load program
    {19999, {91, 171}, 12, 14, 3},   // save program
    {19899, {103, 173}, 47, 10, 3},  // default program
    {19991, {374, 171}, 12, 14, 3},  // recall A
    {19995, {352, 171}, 12, 14, 3},  // store A
    {19992, {417, 171}, 12, 14, 3},  // recall B
    {19996, {395, 171}, 12, 14, 3},  // store B
    {989, {742, 171}, 16, 14, 3},    // manual
}};

// Knob pointer travel: 270 degrees, symmetric about straight up.
constexpr double kKnobStartDeg = -135.0;
constexpr double kKnobSweepDeg = 270.0;

inline Box knobBox(Point p) { return {double(p.x), double(p.y), kKnobSize, kKnobSize}; }
inline Box buttonBox(Point p) { return {double(p.x), double(p.y), kButtonW, kButtonH}; }
inline Box switchBox(Point p, int positions) {
    return {double(p.x), double(p.y), double(switchCell(positions) * positions), kSwitchH};
}

}  // namespace art
