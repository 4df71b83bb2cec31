// Sylvatone's parameter values as a user writes them: "+3dB", "443Hz",
// "16k", "OFF", "stereo", "on". The host reaches the plug-in only through
// the VST interface, so it keeps its own copy of the steps each control
// decodes a normalised value to; a test holds them to the plug-in's display.
#pragma once

#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

namespace parameter_values {

enum class Kind { Switch, Channels, Gain, Frequency };

// One step of a frequency table, as the display shows it.
struct FrequencyStep {
    double hz;            // 0 for the low cut's OFF
    const char* display;  // the plug-in's text for it
};

struct Table {
    int index;          // the plug-in's parameter index
    const char* name;   // as effGetParamName gives it
    Kind kind;
    std::vector<FrequencyStep> steps;  // Frequency only
};

constexpr double kGainLimitDb = 15.0;
constexpr double kGainStepDb = 0.5;

inline const std::vector<Table>& tables()
{
    using K = Kind;
    static const std::vector<Table> all = {
        {0, "EQ all", K::Switch, {}},
        {1, "L-S-R", K::Channels, {}},
        {6, "OUTput", K::Gain, {}},
        {7, "SAT", K::Switch, {}},
        {9, "HPFfreq", K::Frequency,
         {{0, "OFF"}, {20, "20Hz"}, {35, "35Hz"}, {50, "50Hz"}, {70, "70Hz"}, {100, "100Hz"},
          {120, "120Hz"}, {150, "150Hz"}, {170, "170Hz"}, {200, "200Hz"}, {250, "250Hz"}}},
        {12, "LF", K::Switch, {}},
        {13, "LFfreq", K::Frequency,
         {{30, "30Hz"}, {42, "42Hz"}, {60, "60Hz"}, {85, "85Hz"}, {120, "120Hz"}}},
        {14, "LFQ", K::Switch, {}},
        {15, "LFgain", K::Gain, {}},
        {16, "LMF", K::Switch, {}},
        {17, "LMFfreq", K::Frequency,
         {{200, "200Hz"}, {265, "265Hz"}, {350, "350Hz"}, {443, "443Hz"}, {560, "560Hz"},
          {710, "710Hz"}, {900, "900Hz"}}},
        {18, "LMQ", K::Switch, {}},
        {19, "LMFgain", K::Gain, {}},
        {20, "HMF", K::Switch, {}},
        {21, "HMFfreq", K::Frequency,
         {{1500, "1.50kHz"}, {1936, "1.94kHz"}, {2500, "2.50kHz"}, {3279, "3.28kHz"},
          {4300, "4.30kHz"}, {5564, "5.56kHz"}, {7200, "7.20kHz"}}},
        {22, "HMQ", K::Switch, {}},
        {23, "HMFgain", K::Gain, {}},
        {24, "HF", K::Switch, {}},
        {25, "HFfreq", K::Frequency,
         {{10000, "10.0kHz"}, {12649, "12.6kHz"}, {16000, "16.0kHz"}, {20239, "20.2kHz"},
          {25000, "25.0kHz"}}},
        {26, "HFQ", K::Switch, {}},
        {27, "HFgain", K::Gain, {}},
    };
    return all;
}

inline std::string squeezedLower(const std::string& s)
{
    std::string out;
    for (char c : s)
        if (!isspace(static_cast<unsigned char>(c)))
            out += static_cast<char>(tolower(static_cast<unsigned char>(c)));
    return out;
}

// The table of the parameter named (without regard to case) or numbered so;
// null when the parameter has none.
inline const Table* tableFor(const std::string& nameOrIndex)
{
    const std::string wanted = squeezedLower(nameOrIndex);
    for (const Table& t : tables())
        if (squeezedLower(t.name) == wanted || std::to_string(t.index) == wanted)
            return &t;
    return nullptr;
}

inline const Table* tableFor(int index)
{
    return tableFor(std::to_string(index));
}

// The normalised value the plug-in decodes to step k of n.
inline float stepValue(size_t k, size_t n)
{
    return n > 1 ? static_cast<float>(k) / static_cast<float>(n - 1) : 0.0f;
}

inline float gainValue(double db)
{
    return static_cast<float>((db + kGainLimitDb) / (2 * kGainLimitDb));
}

// What the control takes, for messages and `info`.
inline std::string allowedValues(const Table& t)
{
    switch (t.kind) {
    case Kind::Switch:
        return "on or off";
    case Kind::Channels:
        return "left, stereo or right";
    case Kind::Gain:
        return "-15dB to +15dB in 0.5dB steps";
    case Kind::Frequency:
        break;
    }
    std::string s;
    for (size_t i = 0; i < t.steps.size(); ++i)
        s += std::string(i == 0 ? "" : i + 1 == t.steps.size() ? " or " : ", ") + t.steps[i].display;
    return s;
}

// A number written with sign and decimals, the whole of text; its
// significant digits in *digits.
inline bool wholeNumber(const std::string& text, double* value, int* digits = nullptr)
{
    if (text.empty() || !(isdigit(static_cast<unsigned char>(text.back())) || text.back() == '.'))
        return false;
    errno = 0;
    char* end = nullptr;
    *value = strtod(text.c_str(), &end);
    if (*end != '\0' || errno != 0 || !std::isfinite(*value) || text.find_first_of("eEnNxX") !=
        std::string::npos)
        return false;
    if (digits) {
        *digits = 0;
        bool leading = true;
        for (char c : text) {
            if (!isdigit(static_cast<unsigned char>(c)))
                continue;
            leading = leading && c == '0';
            *digits += leading ? 0 : 1;
        }
    }
    return true;
}

inline bool endsWith(const std::string& s, const std::string& tail)
{
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

// A frequency step named by text: "OFF", "443Hz", "16k", "16kHz", "3.28kHz",
// or rounded as a display rounds it ("1.9k" is 1936 Hz, "20k" 20239 Hz).
inline bool frequencyStep(const Table& t, const std::string& text, size_t* step)
{
    for (size_t k = 0; k < t.steps.size(); ++k)
        if (t.steps[k].hz == 0 && text == "off") {
            *step = k;
            return true;
        }
    double scale = 0;
    std::string number = text;
    for (const auto& [unit, factor] : {std::pair<const char*, double>{"khz", 1000.0},
                                       {"k", 1000.0}, {"hz", 1.0}})
        if (endsWith(text, unit)) {
            number = text.substr(0, text.size() - strlen(unit));
            scale = factor;
            break;
        }
    double value = 0;
    int digits = 0;
    if (scale == 0 || !wholeNumber(number, &value, &digits) || digits == 0 || value <= 0)
        return false;
    value *= scale;
    int found = -1;
    for (size_t k = 0; k < t.steps.size(); ++k) {
        const double hz = t.steps[k].hz;
        if (hz <= 0)
            continue;
        // hz rounded to as many significant digits as the user wrote.
        const double unit = std::pow(10.0, std::floor(std::log10(hz)) + 1 - digits);
        const double rounded = std::round(hz / unit) * unit;
        if (std::fabs(value - hz) < 1e-6 || std::fabs(value - rounded) < 1e-6 * hz) {
            if (found >= 0)
                return false;
            found = static_cast<int>(k);
        }
    }
    if (found < 0)
        return false;
    *step = static_cast<size_t>(found);
    return true;
}

// The normalised value of text in the control's own terms; false when the
// control cannot take it. Gains snap to the nearest half decibel.
inline bool naturalValue(const Table& t, const std::string& written, float* normalised)
{
    const std::string text = squeezedLower(written);
    switch (t.kind) {
    case Kind::Switch:
        if (text != "on" && text != "off")
            return false;
        *normalised = text == "on" ? 1.0f : 0.0f;
        return true;
    case Kind::Channels:
        if (text == "left")
            *normalised = 0.0f;
        else if (text == "stereo")
            *normalised = 0.5f;
        else if (text == "right")
            *normalised = 1.0f;
        else
            return false;
        return true;
    case Kind::Gain: {
        const bool unit = endsWith(text, "db");
        const std::string number = unit ? text.substr(0, text.size() - 2) : text;
        const bool sign = !number.empty() && (number[0] == '+' || number[0] == '-');
        double db = 0;
        if (!(unit || sign) || !wholeNumber(number, &db) || std::fabs(db) > kGainLimitDb)
            return false;
        *normalised = gainValue(std::round(db / kGainStepDb) * kGainStepDb);
        return true;
    }
    case Kind::Frequency: {
        size_t k = 0;
        if (!frequencyStep(t, text, &k))
            return false;
        *normalised = stepValue(k, t.steps.size());
        return true;
    }
    }
    return false;
}

}  // namespace parameter_values
