// Drawing helpers shared by every picture.
#pragma once

#include <cairo.h>

#include <cstdint>

#include "Sizes.h"
#include "Palette.h"

namespace art {

constexpr double kPi = 3.14159265358979323846;

enum class Align { Left, Centre, Right };

void setColour(cairo_t* cr, Colour c);
void roundedRect(cairo_t* cr, double x, double y, double w, double h, double r);

// Selects a face at a pixel size (the em height).
void setFace(cairo_t* cr, Face face, double size);

// The ink box of text placed with its baseline at y and x as the left edge,
// centre or right edge.
Box textBox(cairo_t* cr, const char* text, Face face, double size, double x, double y,
            Align align);
void drawText(cairo_t* cr, const char* text, Face face, double size, double x, double y,
              Align align, Colour colour);
// Light text cut into the panel: a dark lip above and the text over it.
void drawEngraved(cairo_t* cr, const char* text, Face face, double size, double x, double y,
                  Align align, Colour colour);

// A round indicator lens; glow 0 is dark, 1 fully lit with a halo.
void drawLamp(cairo_t* cr, double cx, double cy, double r, Colour lit, double glow);

// Pointer direction of a film-strip frame, in degrees clockwise from straight up.
double knobAngle(int frame, int frames);

// Unit vector of a knob angle in window coordinates (y down).
double angleDx(double degrees);
double angleDy(double degrees);

// Small fixed-seed generator for textures, so every build draws the same pixels.
class Noise {
public:
    explicit Noise(uint32_t seed) : state_(seed) {}
    // Uniform in [0, 1).
    double next() {
        state_ = state_ * 1664525u + 1013904223u;
        return (state_ >> 8) * (1.0 / 16777216.0);
    }

private:
    uint32_t state_;
};

}  // namespace art
