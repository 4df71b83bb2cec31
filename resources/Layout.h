// The window's layout, written once: where each control sits, which picture
// it shows and how many frames that picture has. The editor builds its
// controls from these tables, the artwork program draws its pictures and the
// panel's labels around them, and the tests walk them. Pure data: it depends
// on nothing.
#pragma once

namespace layout {

constexpr int kWindowW = 782;
constexpr int kWindowH = 187;

struct Rect {
    int left, top, right, bottom;
    constexpr int width() const { return right - left; }
    constexpr int height() const { return bottom - top; }
};

// The equaliser's own controls, in the order the editor creates them. The
// tag is the parameter index; each control is one frame of its picture in
// size, its top-left corner at (x, y).
enum class Kind { Knob, Switch, Button };
struct Control {
    int tag;
    Kind kind;
    int bitmap;
    int frames;
    int x, y;
};

constexpr Control kControls[] = {
    {6, Kind::Knob, 11562, 31, 642, 35},     // output gain
    {0, Kind::Button, 11510, 2, 706, 4},     // EQ all
    {1, Kind::Switch, 11512, 3, 60, 140},    // left / stereo / right
    {7, Kind::Button, 11518, 2, 680, 140},   // saturation
    {9, Kind::Knob, 11541, 11, 21, 35},      // low cut
    {12, Kind::Button, 11543, 2, 212, 4},    // LF on
    {14, Kind::Button, 11545, 2, 240, 140},  // LF narrow
    {13, Kind::Switch, 11516, 5, 180, 140},  // LF frequency
    {15, Kind::Knob, 11571, 31, 148, 35},    // LF gain
    {16, Kind::Button, 11546, 2, 336, 4},    // LMF on
    {18, Kind::Button, 11577, 2, 365, 140},  // LMF narrow
    {17, Kind::Switch, 11547, 7, 294, 140},  // LMF frequency
    {19, Kind::Knob, 11572, 31, 271, 35},    // LMF gain
    {20, Kind::Button, 11548, 2, 462, 4},    // HMF on
    {22, Kind::Button, 11578, 2, 489, 140},  // HMF narrow
    {21, Kind::Switch, 11549, 7, 418, 140},  // HMF frequency
    {23, Kind::Knob, 11573, 31, 394, 35},    // HMF gain
    {24, Kind::Button, 11552, 2, 585, 4},    // HF on
    {25, Kind::Switch, 11517, 5, 551, 140},  // HF frequency
    {26, Kind::Button, 11579, 2, 611, 140},  // HF narrow
    {27, Kind::Knob, 11553, 31, 517, 35},    // HF gain
};

// The control of a parameter; a tag that has none gives the first entry
// (tests check that every tag is found).
constexpr const Control& control(int tag)
{
    for (const Control& c : kControls)
        if (c.tag == tag)
            return c;
    return kControls[0];
}

// The window's other pieces: the background, the overload lamp (its size
// is its picture's), the about hot spot and the two latency read-outs.
constexpr int kBackgroundBitmap = 11500;
constexpr int kSplashBitmap = 11580;
constexpr int kLampBitmap = 11520;
constexpr int kLampFrames = 3;
constexpr int kLampX = 695, kLampY = 35;
constexpr int kTagAbout = 61;
constexpr int kTagLamp = 64;
constexpr Rect kAboutSpot{34, 12, 188, 31};
constexpr Rect kLatencyMs{580, 171, 630, 183};
constexpr Rect kLatencySamples{652, 171, 702, 183};

// The preset strip along the bottom. Its controls carry tags 92 to 111.
constexpr int kStripTop = 166;
enum StripTag {
    kTagName = 92,
    kTagRocker = 93,
    kTagLoadBank = 94,
    kTagSaveBank = 95,
    kTagLoadPreset = 96,
    kTagSavePreset = 97,
    kTagMenu = 104,
    kTagDefaultBank = 105,
    kTagDefaultPreset = 106,
    kTagStoreA = 107,
    kTagStoreB = 108,
    kTagRecallA = 109,
    kTagRecallB = 110,
    kTagManual = 111,
};

// The name field spans this row (its height follows the font), the menu
// button sits right of it.
constexpr Rect kNameRow{175, 171, 292, 185};
constexpr Rect kProgramMenu{293, 171, 305, 185};
constexpr int kMenuBitmap = 7680;

// The strip's buttons in creation order: each frame of the picture fills
// its rectangle exactly.
enum class StripKind { Rocker, SaveLoad, Kick, KickDoubleClick };
struct StripButton {
    int tag;
    StripKind kind;
    int bitmap;
    int frames;
    Rect at;
};

constexpr StripButton kStrip[] = {
    {kTagRocker, StripKind::Rocker, 19997, 5, {313, 171, 344, 185}},
    {kTagLoadBank, StripKind::SaveLoad, 19993, 3, {70, 171, 82, 185}},
    {kTagSaveBank, StripKind::SaveLoad, 19994, 3, {20, 171, 32, 185}},
    {kTagDefaultBank, StripKind::KickDoubleClick, 19990, 3, {32, 173, 69, 183}},
    {kTagLoadPreset, StripKind::SaveLoad, 19998, 3, {150, 171, 162, 185}},
    {kTagSavePreset, StripKind::SaveLoad, 19999, 3, {91, 171, 103, 185}},
    // Between the program buttons, at the height of the default-bank button.
    {kTagDefaultPreset, StripKind::KickDoubleClick, 19899, 3, {103, 173, 150, 183}},
    {kTagRecallA, StripKind::Kick, 19991, 3, {374, 171, 386, 185}},
    {kTagStoreA, StripKind::Kick, 19995, 3, {352, 171, 364, 185}},
    {kTagRecallB, StripKind::Kick, 19992, 3, {417, 171, 429, 185}},
    {kTagStoreB, StripKind::Kick, 19996, 3, {395, 171, 407, 185}},
    {kTagManual, StripKind::Kick, 989, 3, {742, 171, 758, 185}},
};

constexpr const StripButton& stripButton(int tag)
{
    for (const StripButton& b : kStrip)
        if (b.tag == tag)
            return b;
    return kStrip[0];
}

}  // namespace layout
