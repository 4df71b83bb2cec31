// Colours and type of the artwork. One warm slate panel, cream engraving,
// moss green for the name and band titles, amber for values, and a pale birch
// strip for the preset controls.
#pragma once

namespace art {

struct Colour {
    double r, g, b, a;
};

constexpr Colour rgb(int r, int g, int b, double a = 1.0) {
    return {r / 255.0, g / 255.0, b / 255.0, a};
}

constexpr Colour mix(Colour x, Colour y, double t) {
    return {x.r + (y.r - x.r) * t, x.g + (y.g - x.g) * t, x.b + (y.b - x.b) * t,
            x.a + (y.a - x.a) * t};
}

constexpr Colour withAlpha(Colour c, double a) { return {c.r, c.g, c.b, a}; }

namespace pal {
// Panel
constexpr Colour panelTop = rgb(62, 58, 53);
constexpr Colour panelBottom = rgb(44, 41, 38);
constexpr Colour engraving = rgb(228, 219, 197);       // main labels
constexpr Colour engravingDim = rgb(168, 160, 143);    // scale numbers
constexpr Colour moss = rgb(158, 188, 132);            // name, band titles
constexpr Colour amber = rgb(236, 172, 78);            // value arcs, selections

// Bottom strip
constexpr Colour birchTop = rgb(214, 207, 192);
constexpr Colour birchBottom = rgb(194, 186, 170);
constexpr Colour stripInk = rgb(62, 56, 48);
constexpr Colour nameField = rgb(209, 227, 238);       // the name field's back colour
constexpr Colour readout = rgb(30, 33, 31);            // behind light grey read-out text

// Controls
constexpr Colour capLight = rgb(96, 92, 86);
constexpr Colour capDark = rgb(40, 38, 35);
constexpr Colour slot = rgb(22, 21, 19);
constexpr Colour pointer = rgb(240, 232, 210);
constexpr Colour lampGreen = rgb(128, 232, 104);
constexpr Colour lampAmber = rgb(250, 186, 72);
constexpr Colour lampOrange = rgb(250, 128, 58);
constexpr Colour lampRed = rgb(255, 58, 44);

// Splash
constexpr Colour paper = rgb(244, 239, 226);
constexpr Colour paperShade = rgb(226, 218, 198);
constexpr Colour ink = rgb(60, 60, 60);
}  // namespace pal

// Type faces from fonts-dejavu-core, which fontconfig brings on every Debian
// machine; condensed and italic shapes are made with the font matrix so the
// artwork looks the same whether or not the extra DejaVu faces are present.
enum class Face {
    Label,       // DejaVu Sans Bold, condensed
    Small,       // DejaVu Sans, condensed
    Title,       // DejaVu Sans Bold
    Logo,        // DejaVu Serif, slanted
};

}  // namespace art
