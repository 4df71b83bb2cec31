// The editor window's size: 1 is the designed 782 x 187 pixels, 1.5 and 2
// draw everything that much larger for high-density screens.
#pragma once

#include <string>

class Preferences;

constexpr double kEditorScales[] = {1.0, 1.5, 2.0};
constexpr int kNumEditorScales = 3;
// The user's choice, in the preferences: "1", "1.5" or "2".
constexpr const char* kPrefEditorScale = "EditorScale";

// The offered scale nearest to a wanted one (1 for anything unusable).
double snapEditorScale(double wanted);

// The user's stored choice when there is one; else GDK_SCALE (gdkScale, as
// the environment gives it, may be null); else the desktop's resolution
// (96 dpi is 1; 0 when unknown); else 1.
double chooseEditorScale(const Preferences& prefs, const char* gdkScale, double desktopDpi);

// The scale as stored and shown: "1", "1.5", "2".
std::string editorScaleText(double scale);
