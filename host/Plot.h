// Frequency-response plots as PNG pictures, drawn with cairo: dB against
// log frequency from 20 Hz to 20 kHz.
#pragma once

#include <string>
#include <utility>
#include <vector>

struct PlotCurve {
    enum Style { kFirst, kSecond };
    std::string label;                              // shown in a legend when not empty
    std::vector<std::pair<double, double>> points;  // (frequency in Hz, level in dB)
    Style style = kFirst;
};

// Draws the curves (900 x 450) under a title and a smaller subtitle and
// writes the picture to path, which appears only once complete. Levels
// beyond +-24 dB run along the edge. HostError when it cannot be written.
void plotResponse(const std::string& path, const std::string& title, const std::string& subtitle,
                  const std::vector<PlotCurve>& curves);
