#include "editor/EditorScale.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "presets/Preferences.h"

double snapEditorScale(double wanted)
{
    if (!std::isfinite(wanted) || wanted <= 0.0)
        return 1.0;
    double best = kEditorScales[0];
    for (double s : kEditorScales)
        if (std::fabs(s - wanted) < std::fabs(best - wanted))
            best = s;
    return best;
}

namespace {

// A positive number and nothing after it, or 0.
double numberIn(const std::string& text)
{
    char* end = nullptr;
    const double v = std::strtod(text.c_str(), &end);
    return end != text.c_str() && *end == 0 && std::isfinite(v) && v > 0.0 ? v : 0.0;
}

}  // namespace

double chooseEditorScale(const Preferences& prefs, const char* gdkScale, double desktopDpi)
{
    std::string stored;
    if (prefs.getString(kPrefEditorScale, stored))
        if (const double v = numberIn(stored))
            return snapEditorScale(v);
    if (gdkScale)
        if (const double v = numberIn(gdkScale))
            return snapEditorScale(v);
    if (desktopDpi > 0.0)
        return snapEditorScale(desktopDpi / 96.0);
    return 1.0;
}

std::string editorScaleText(double scale)
{
    char text[16];
    std::snprintf(text, sizeof text, "%g", scale);
    return text;
}
