// The parameter table: names, decoding, display texts, real values and the
// band each change recomputes, walked index by index.
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

std::string name(int index)
{
    char text[16];
    parameterName(index, text);
    return text;
}

const int kGainIndexes[] = {kParamLfGain, kParamLmfGain, kParamHmfGain, kParamHfGain};

}  // namespace

TEST(Parameters, NamesAreTheHostNamesWithinSevenCharacters)
{
    const char* expected[kNumParams] = {
        "EQ all", "L-S-R", "", "", "", "", "OUTput", "SAT", "", "HPFfreq", "", "",
        "LF", "LFfreq", "LFQ", "LFgain", "LMF", "LMFfreq", "LMQ", "LMFgain",
        "HMF", "HMFfreq", "HMQ", "HMFgain", "HF", "HFfreq", "HFQ", "HFgain"};
    for (int i = 0; i < kNumParams; ++i) {
        EXPECT_EQ(name(i), expected[i] ? expected[i] : "") << i;
        EXPECT_LE(name(i).size(), 7u);
    }
    EXPECT_EQ(name(-1), "");
    EXPECT_EQ(name(42), "");
}

TEST(Parameters, GainsMoveInHalfDecibelSteps)
{
    ParamState s;
    for (int index : kGainIndexes) {
        const int band = kParamInfo[index].band;
        decodeParameter(s, index, 0.5f);
        EXPECT_EQ(s.bands[band].gain.load(), 0.0);
        decodeParameter(s, index, 0.4333f);
        EXPECT_DOUBLE_EQ(s.bands[band].gain.load(), -2.0);
        EXPECT_EQ(display(s, index), "-2.00dB");
        decodeParameter(s, index, 0.6333f);
        EXPECT_DOUBLE_EQ(s.bands[band].gain.load(), 4.0);
        decodeParameter(s, index, 0.0f);
        EXPECT_EQ(display(s, index), "-15.00dB");
        decodeParameter(s, index, 1.0f);
        EXPECT_EQ(display(s, index), "15.00dB");
        // Finite values beyond the range decode beyond plus or minus 15 dB.
        decodeParameter(s, index, 1.5f);
        EXPECT_DOUBLE_EQ(s.bands[band].gain.load(), 30.0);
    }
}

TEST(Parameters, OutputGainUsesSixDecibelsPerDoubling)
{
    ParamState s;
    decodeParameter(s, kParamOutput, 1.0f);
    EXPECT_NEAR(s.outputGainTarget.load(), std::pow(2.0, 2.5), 1e-12);
    EXPECT_EQ(display(s, kParamOutput), "15.0dB");
    decodeParameter(s, kParamOutput, 0.0f);
    EXPECT_NEAR(s.outputGainTarget.load(), 0.1768, 1e-4);
    decodeParameter(s, kParamOutput, 0.5f);
    EXPECT_EQ(s.outputGainTarget.load(), 1.0);
    EXPECT_EQ(display(s, kParamOutput), "0.0dB");
    EXPECT_FLOAT_EQ(parameterValue(s, kParamOutput), 1.0f);
}

TEST(Parameters, SteppedFrequenciesClampAndRound)
{
    ParamState s;
    decodeParameter(s, kParamHpfFreq, 0.02f);
    EXPECT_EQ(s.hpfFreq.load(), 3.0);
    EXPECT_EQ(display(s, kParamHpfFreq), "OFF");
    decodeParameter(s, kParamHpfFreq, 0.03f);
    EXPECT_EQ(s.hpfFreq.load(), 3.0);
    EXPECT_EQ(display(s, kParamHpfFreq), "3.0Hz");
    decodeParameter(s, kParamHpfFreq, 0.05f);
    EXPECT_EQ(s.hpfFreq.load(), 20.0);
    decodeParameter(s, kParamHpfFreq, 7.0f);
    EXPECT_EQ(s.hpfFreq.load(), 250.0);
    decodeParameter(s, kParamHpfFreq, -3.0f);
    EXPECT_EQ(s.hpfFreq.load(), 3.0);

    decodeParameter(s, kParamLmfFreq, 0.08f);
    EXPECT_EQ(parameterValue(s, kParamLmfFreq), 200.0f);
    decodeParameter(s, kParamLmfFreq, 0.09f);
    EXPECT_EQ(parameterValue(s, kParamLmfFreq), 265.0f);

    decodeParameter(s, kParamHmfFreq, 0.5f);
    EXPECT_EQ(display(s, kParamHmfFreq), "3.28kHz");
    decodeParameter(s, kParamHfFreq, 0.75f);
    EXPECT_EQ(display(s, kParamHfFreq), "20.2kHz");
    decodeParameter(s, kParamLfFreq, 0.25f);
    EXPECT_EQ(display(s, kParamLfFreq), "42Hz");
    decodeParameter(s, kParamLfFreq, 1.0f);
    EXPECT_EQ(parameterValue(s, kParamLfFreq), 120.0f);
}

TEST(Parameters, SwitchThresholds)
{
    ParamState s;
    decodeParameter(s, kParamSat, 0.5f);
    EXPECT_EQ(s.satOn.load(), 0);
    EXPECT_EQ(display(s, kParamSat), "Off  ");
    decodeParameter(s, kParamSat, 0.50001f);
    EXPECT_EQ(display(s, kParamSat), "On   ");

    decodeParameter(s, kParamEqAll, 0.5f);
    EXPECT_EQ(s.eqAllOn.load(), 1);
    decodeParameter(s, kParamEqAll, 0.49999f);
    EXPECT_EQ(s.eqAllOn.load(), 0);

    decodeParameter(s, kParamLmf, 0.5f);
    EXPECT_EQ(s.bands[kBandLmf].on.load(), 1);
    EXPECT_EQ(display(s, kParamLmf), "On   ");
    decodeParameter(s, kParamHfQ, 0.49f);
    EXPECT_EQ(display(s, kParamHfQ), "Off  ");

    struct {
        float x;
        int left, right;
        const char* text;
    } lsr[] = {{0.0f, 1, 0, "Left"}, {0.2499f, 1, 0, "Left"}, {0.25f, 1, 1, "Stereo"},
               {0.7499f, 1, 1, "Stereo"}, {0.75f, 0, 1, "Right"}, {1.0f, 0, 1, "Right"}};
    for (const auto& c : lsr) {
        decodeParameter(s, kParamLsr, c.x);
        EXPECT_EQ(s.processLeft.load(), c.left) << c.x;
        EXPECT_EQ(s.processRight.load(), c.right) << c.x;
        EXPECT_EQ(display(s, kParamLsr), c.text);
    }

    // Huge finite values must not overflow the integer conversion.
    decodeParameter(s, kParamLowCutEnable, 3e38f);
    EXPECT_NE(s.lowCutEnable.load(), 0);
    decodeParameter(s, 40, -3e38f);
    EXPECT_NE(s.storedSwitch.load(), 0);
}

TEST(Parameters, NonFiniteValuesAreRefusedAndChangeNothing)
{
    ParamState s;
    for (int i = 0; i < kNumParams; ++i)
        decodeParameter(s, i, 0.5f);
    const float bad[] = {std::numeric_limits<float>::quiet_NaN(),
                         std::numeric_limits<float>::infinity(),
                         -std::numeric_limits<float>::infinity()};
    for (float x : bad) {
        for (int i = 0; i < kNumParams; ++i) {
            bool accepted = true;
            EXPECT_EQ(decodeParameter(s, i, x, &accepted), BandUpdate::None);
            EXPECT_FALSE(accepted);
            EXPECT_EQ(s.rawValues[i].load(), 0.5f);
            EXPECT_TRUE(std::isfinite(parameterValue(s, i))) << i;
        }
    }
    EXPECT_EQ(s.outputGainTarget.load(), 1.0);
    EXPECT_EQ(s.hpfFreq.load(), 250.0 == s.hpfFreq.load() ? 250.0 : s.hpfFreq.load());
    EXPECT_EQ(s.bands[kBandHf].gain.load(), 0.0);
}

TEST(Parameters, EachIndexNamesItsBandUpdate)
{
    ParamState s;
    auto update = [&](int i) { return decodeParameter(s, i, 0.5f); };
    for (int i : {0, 1, 9, 37})
        EXPECT_EQ(update(i), BandUpdate::LowCut) << i;
    for (int i : {12, 13, 14, 15, 40})
        EXPECT_EQ(update(i), BandUpdate::LowShelf) << i;
    for (int i : {16, 17, 18, 19})
        EXPECT_EQ(update(i), BandUpdate::LowMid) << i;
    for (int i : {20, 21, 22, 23, 34})
        EXPECT_EQ(update(i), BandUpdate::Mid) << i;
    for (int i : {24, 25, 26, 27})
        EXPECT_EQ(update(i), BandUpdate::HighShelf) << i;
    for (int i : {2, 3, 4, 5, 6, 7, 8, 10, 11, 28, 33, 35, 36, 38, 39, 41})
        EXPECT_EQ(update(i), BandUpdate::None) << i;
    EXPECT_EQ(decodeParameter(s, 42, 0.5f), BandUpdate::None);
    EXPECT_EQ(decodeParameter(s, -1, 0.5f), BandUpdate::None);
}

TEST(Parameters, RealValuesOfPlaceholdersAndHiddenSlots)
{
    ParamState s;
    for (int i = 0; i < kNumParams; ++i)
        decodeParameter(s, i, 0.25f);
    for (int i : {2, 3, 4, 5, 8, 10, 11, 28, 29, 30, 31, 32, 33})
        EXPECT_EQ(parameterValue(s, i), 0.25f) << i;
    for (int i : {34, 35, 36, 38, 39, 41})
        EXPECT_EQ(parameterValue(s, i), 0.0f) << i;
    EXPECT_EQ(parameterValue(s, 37), 0.0f);
    decodeParameter(s, 37, 0.5f);
    EXPECT_EQ(parameterValue(s, 37), 1.0f);
    EXPECT_EQ(parameterValue(s, 44), 0.0f);
    EXPECT_EQ(parameterValue(s, -1), 0.0f);
    for (int i : {2, 8, 28, 34, 37, 40, 41})
        EXPECT_EQ(display(s, i), "") << i;
}

TEST(Parameters, PresetDataCarriesTheTwentyOneLiveParameters)
{
    int carried = 0;
    for (int i = 0; i < kNumParams; ++i)
        carried += parameterIsDummy(i) ? 0 : 1;
    EXPECT_EQ(carried, 21);
    for (int i : {0, 1, 6, 7, 9, 12, 19, 27})
        EXPECT_FALSE(parameterIsDummy(i)) << i;
    for (int i : {2, 5, 8, 10, 11, 28, 37, 41, 42, -1})
        EXPECT_TRUE(parameterIsDummy(i)) << i;
}
