// The parameter table: decoding, display texts and real values, and the
// slots that steer nothing.
#include <cmath>
#include <cstring>
#include <limits>
#include <string>

#include <gtest/gtest.h>

#include "engine/Parameters.h"

namespace {

std::string display(const ParamState& s, int index)
{
    char text[32];
    memset(text, 'x', sizeof text);
    parameterDisplay(s, index, text);
    return text;
}

}  // namespace

TEST(Parameters, GainsMoveInHalfDecibelSteps)
{
    ParamState s;
    const struct { float x; double dB; const char* text; } steps[] = {
        {0.5f, 0.0, "0.00dB"}, {0.4333f, -2.0, "-2.00dB"}, {0.6333f, 4.0, "4.00dB"}, {0.0f, -15.0, "-15.00dB"},
        {1.0f, 15.0, "15.00dB"}, {1.5f, 30.0, "30.00dB"}};  // finite values beyond the range decode beyond it
    for (int index : {kParamLfGain, kParamLmfGain, kParamHmfGain, kParamHfGain})
        for (const auto& c : steps) {
            decodeParameter(s, index, c.x);
            EXPECT_DOUBLE_EQ(s.bands[kParamInfo[index].band].gain.load(), c.dB) << index << " " << c.x;
            EXPECT_EQ(display(s, index), c.text) << index << " " << c.x;
        }

    // The output gain: 6 dB per doubling, as a linear target.
    decodeParameter(s, kParamOutput, 1.0f);
    EXPECT_NEAR(s.outputGainTarget.load(), std::pow(2.0, 2.5), 1e-12);
    EXPECT_EQ(display(s, kParamOutput), "15.0dB");
    decodeParameter(s, kParamOutput, 0.0f);
    EXPECT_NEAR(s.outputGainTarget.load(), 0.1768, 1e-4);
    decodeParameter(s, kParamOutput, 0.5f);
    EXPECT_EQ(display(s, kParamOutput), "0.0dB");
    EXPECT_EQ(parameterValue(s, kParamOutput), 1.0f);
}

// Stepped frequencies clamp and round; switches have their thresholds.
TEST(Parameters, DecodedValuesAndTexts)
{
    ParamState s;
    const struct { int index; float x, value; const char* text; } cases[] = {  // text "": not checked
        {kParamHpfFreq, 0.02f, 3, "OFF"}, {kParamHpfFreq, 0.03f, 3, "3.0Hz"}, {kParamHpfFreq, 0.05f, 20, ""},
        {kParamHpfFreq, 7.0f, 250, ""}, {kParamHpfFreq, -3.0f, 3, ""}, {kParamLmfFreq, 0.08f, 200, ""},
        {kParamLmfFreq, 0.09f, 265, ""}, {kParamHmfFreq, 0.5f, 3279, "3.28kHz"},
        {kParamHfFreq, 0.75f, 20239, "20.2kHz"}, {kParamLfFreq, 0.25f, 42, "42Hz"}, {kParamLfFreq, 1.0f, 120, ""},
        {kParamSat, 0.5f, 0, "Off  "}, {kParamSat, 0.50001f, 1, "On   "}, {kParamEqAll, 0.5f, 1, "On   "},
        {kParamEqAll, 0.49999f, 0, "Off  "}, {kParamLmf, 0.5f, 1, "On   "}, {kParamHfQ, 0.49f, 0, "Off  "},
        // The channel selection reads as whether the left channel is equalised.
        {kParamLsr, 0.0f, 1, "Left"}, {kParamLsr, 0.2499f, 1, "Left"}, {kParamLsr, 0.25f, 1, "Stereo"},
        {kParamLsr, 0.7499f, 1, "Stereo"}, {kParamLsr, 0.75f, 0, "Right"}, {kParamLsr, 1.0f, 0, "Right"},
    };
    for (const auto& c : cases) {
        decodeParameter(s, c.index, c.x);
        EXPECT_EQ(parameterValue(s, c.index), c.value) << c.index << " " << c.x;
        EXPECT_EQ(*c.text ? display(s, c.index) : "", c.text) << c.index << " " << c.x;
    }
    for (float x : {0.2499f, 0.25f}) {  // and the right from a quarter up
        decodeParameter(s, kParamLsr, x);
        EXPECT_EQ(s.processRight.load(), x < 0.25f ? 0 : 1) << x;
    }
    // Huge finite values must not overflow the integer conversion.
    decodeParameter(s, kParamLowCutEnable, 3e38f);
    decodeParameter(s, 40, -3e38f);
    EXPECT_TRUE(s.lowCutEnable.load() != 0 && s.storedSwitch.load() != 0);
}

// Non-finite values and unknown indexes change nothing; placeholders keep
// what they get, hidden slots read 0, and names fit in 7 characters.
TEST(Parameters, RefusedValuesPlaceholdersAndHiddenSlots)
{
    ParamState s;
    for (int i = 0; i < kNumParams; ++i)
        decodeParameter(s, i, 0.25f);
    for (float x : {NAN, INFINITY, -INFINITY})
        for (int i = 0; i < kNumParams; ++i) {
            bool accepted = true;
            EXPECT_EQ(decodeParameter(s, i, x, &accepted), BandUpdate::None);
            EXPECT_FALSE(accepted);
            EXPECT_EQ(s.rawValues[i].load(), 0.25f) << i;
        }
    EXPECT_EQ(s.bands[kBandHf].gain.load(), -7.5);
    for (int i : {2, 5, 8, 11, 28, 33})
        EXPECT_EQ(parameterValue(s, i), 0.25f) << i;
    for (int i : {34, 35, 36, 38, 39, 41, -1, 42})
        EXPECT_EQ(parameterValue(s, i), 0.0f) << i;
    int carried = 0;
    for (int i = -1; i <= kNumParams; ++i) {
        char name[16];
        parameterName(i, name);
        EXPECT_TRUE(isValidParam(i) ? strlen(name) <= 7 : !*name) << i;
        EXPECT_TRUE(!parameterIsDummy(i) || display(s, i).empty()) << i;
        EXPECT_TRUE(isValidParam(i) || decodeParameter(s, i, 0.5f) == BandUpdate::None) << i;
        carried += parameterIsDummy(i) ? 0 : 1;
    }
    EXPECT_EQ(carried, 21);  // the live parameters preset data carries
}
