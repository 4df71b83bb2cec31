// `sylvatone info` prints the host's view of the built plug-in.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include <gtest/gtest.h>

#include "plugin/Sylvatone.h"
#include "editor/ADEditor.h"
#include "host/ParameterValues.h"
#include "host/PluginHost.h"
#include "engine/FactoryPresets.h"
#include "engine/Parameters.h"
#include "presets/PresetFiles.h"

namespace {

std::string run(const std::string& args, int* status)
{
    std::string command = std::string("'") + SYLVATONE_HOST_PATH + "' " + args + " 2>&1";
    FILE* pipe = popen(command.c_str(), "r");
    std::string out;
    char buffer[4096];
    size_t n;
    while (pipe && (n = fread(buffer, 1, sizeof buffer, pipe)) > 0)
        out.append(buffer, n);
    *status = pipe ? pclose(pipe) : -1;
    return out;
}

}  // namespace

TEST(InfoCommand, PrintsTheHostViewOfTheDefaultOrAPresetFile)
{
    int status = 0;
    std::string out = run("info", &status);
    EXPECT_EQ(status, 0) << out;
    for (const char* expected :
         {"name:      ZYM sylvatone", "unique ID: 'KRTA'", "latency:   46 samples",
          "inputs:    2", "outputs:   2", "\"ZYM Sylvatone 1 In\" stereo active",
          "parameters: 42", "15  LFgain   0.00dB", "21  HMFfreq  3.28kHz", "9  HPFfreq  OFF",
          "current: \"Default\"", "1  C-bass Pick-up", "5  Finish", "editor:    782 x 187",
          "flags:     editor, 32-bit, 64-bit, chunks (4145)"})
        EXPECT_NE(out.find(expected), std::string::npos) << expected << "\n" << out;

    // A program saved as a preset file: taken as a preset, refused as a bank.
    Sylvatone fx(nullptr);
    fx.setPresetNo(1);
    fx.setParameter(15, 0.0f);  // LFgain -15 dB
    char name[] = "From a session";
    fx.setProgramName(name);
    char* buffer = nullptr;
    const long length = (new ADEditor(&fx))->PresetToBuffer(&buffer);  // owned by fx
    const std::string preset = testing::TempDir() + "/bass.zym";
    std::ofstream(preset, std::ios::binary).write(buffer, length);
    delete[] buffer;
    out = run("info --preset '" + preset + "'", &status);
    EXPECT_EQ(status, 0) << out;
    EXPECT_NE(out.find("15  LFgain   -15.00dB"), std::string::npos) << out;
    EXPECT_NE(out.find("current: \"From a session\""), std::string::npos) << out;
    out = run("info --bank '" + preset + "'", &status);
    EXPECT_NE(status, 0);
    EXPECT_NE(out.find("not a Sylvatone bank file"), std::string::npos) << out;
}

// Every command answers --help and -h with its own usage alone.
TEST(CommandLine, EachCommandPrintsItsOwnUsage)
{
    const char* const commands[] = {"info", "render", "response", "snapshot", "demo"};
    for (const char* command : commands)
        for (const char* flag : {"--help", "-h"}) {
            int status = 0;
            std::string out = run(std::string(command) + " " + flag, &status);
            EXPECT_EQ(status, 0) << command << ' ' << flag;
            EXPECT_EQ(out.rfind(std::string("usage: sylvatone ") + command + " ", 0), 0u) << out;
        }
    int status = 0;
    std::string out = run("--help", &status);
    EXPECT_EQ(status, 0);
    for (const char* command : commands)
        EXPECT_NE(out.find(std::string("  ") + command + " "), std::string::npos) << out;
}

namespace pv = parameter_values;

// The host's copy of each control's steps against the plug-in itself: every
// value the host writes shows as the plug-in's display text, and every text
// the plug-in can show is one the host knows.
TEST(ParameterValues, TheHostsStepsAreThePluginsOwn)
{
    std::string error;
    auto host = PluginHost::load(SYLVATONE_PLUGIN_PATH, &error);
    ASSERT_TRUE(host) << error;
    host->start(44100.0f, 512);
    auto shows = [&](const pv::Table& t, const std::string& written) {
        float value = -1;
        EXPECT_TRUE(pv::naturalValue(t, written, &value)) << t.name << "=" << written;
        host->setParameter(t.index, value);
        std::string shown = host->paramDisplay(t.index);
        return shown.erase(shown.find_last_not_of(' ') + 1);
    };
    for (const pv::Table& t : pv::tables()) {
        SCOPED_TRACE(t.name);
        EXPECT_EQ(host->paramName(t.index), t.name);
        switch (t.kind) {
        case pv::Kind::Switch:
            EXPECT_EQ(shows(t, "on"), "On");
            EXPECT_EQ(shows(t, "OFF"), "Off");
            break;
        case pv::Kind::Channels:
            EXPECT_EQ(shows(t, "left"), "Left");
            EXPECT_EQ(shows(t, "Stereo"), "Stereo");
            EXPECT_EQ(shows(t, "right"), "Right");
            break;
        case pv::Kind::Gain:
            for (int half = -30; half <= 30; ++half) {
                char text[16];
                snprintf(text, sizeof text, "%+.1f dB", half / 2.0);
                EXPECT_DOUBLE_EQ(atof(shows(t, text).c_str()), half / 2.0) << text;
            }
            EXPECT_DOUBLE_EQ(atof(shows(t, "3.2dB").c_str()), 3.0);  // snapped
            break;
        case pv::Kind::Frequency:
            for (const pv::FrequencyStep& step : t.steps) {
                EXPECT_EQ(shows(t, step.display), step.display);
                if (step.hz > 0) {
                    EXPECT_EQ(shows(t, std::to_string(static_cast<int>(step.hz)) + "Hz"),
                              step.display);
                }
            }
            break;
        }
    }
}

// Values as the display rounds them, and what no control takes.
TEST(ParameterValues, ReadsRoundedFrequenciesAndRefusesOthers)
{
    const struct {
        const char* name;
        const char* text;
        float value;  // negative: refused
    } cases[] = {{"HMFfreq", "1.9k", 1 / 6.0f}, {"HFfreq", "12.6k", 0.25f}, {"HPFfreq", "off", 0.0f},
                 {"hpffreq", "250Hz", 1.0f},  {"LMFfreq", "440Hz", -1},  {"HMFfreq", "2k", -1},
                 {"LFgain", "+15.5dB", -1},   {"LFgain", "3", -1},       {"L-S-R", "mono", -1}};
    for (const auto& c : cases) {
        const pv::Table* t = pv::tableFor(c.name);
        ASSERT_NE(t, nullptr) << c.name;
        float value = -1;
        EXPECT_EQ(pv::naturalValue(*t, c.text, &value), c.value >= 0) << c.name << "=" << c.text;
        if (c.value >= 0) {
            EXPECT_FLOAT_EQ(value, c.value) << c.name << "=" << c.text;
        }
    }
    EXPECT_EQ(pv::tableFor("13"), pv::tableFor("LFfreq"));

    int status = 0;
    std::string out = run("info --set LMFfreq=443Hz --set 'HFgain=-4.5 dB' --set l-s-r=right "
                          "--set HPFfreq=120Hz", &status);
    EXPECT_EQ(status, 0) << out;
    for (const char* expected : {"17  LMFfreq  443Hz     200Hz, 265Hz, 350Hz, 443Hz",
                                 "27  HFgain   -4.50dB   -15dB to +15dB in 0.5dB steps",
                                 "1  L-S-R    Right", "9  HPFfreq  120Hz"})
        EXPECT_NE(out.find(expected), std::string::npos) << expected << "\n" << out;
}

// --program means the factory programs whatever the user stored; the
// stored bank counts only with --user-defaults.
TEST(ProgramOption, FactoryProgramsUnlessTheUserDefaultsAreAskedFor)
{
    int status = 0;
    const std::string factoryMild = run("info --program Mild", &status);
    ASSERT_EQ(status, 0) << factoryMild;
    const std::string factoryFirst = run("info", &status);

    const std::string config = testing::TempDir() + "/user-config";
    std::filesystem::remove_all(config);
    const char* before = getenv("XDG_CONFIG_HOME");
    const std::string saved = before ? before : "";
    setenv("XDG_CONFIG_HOME", config.c_str(), 1);
    // A bank with program 0 at +15 dB of low shelf, program 3 renamed and at
    // -15 dB, stored as a user stores it from the editor.
    Sylvatone user(nullptr);
    user.setParameter(15, 1.0f);
    user.setPresetNo(3);
    user.setPresetName("Gentle");
    user.setParameter(15, 0.0f);
    Preferences prefs;
    ASSERT_TRUE(saveDefaultBank(user.presetStore(), prefs));
    ASSERT_TRUE(std::filesystem::exists(config + "/net.zym-audio.sylvatone/DefaultBank"));

    EXPECT_EQ(run("info --program Mild", &status), factoryMild);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(run("info", &status), factoryFirst);
    EXPECT_EQ(status, 0);

    std::string out = run("info --user-defaults --program gentle", &status);
    EXPECT_EQ(status, 0) << out;
    EXPECT_NE(out.find("15  LFgain   -15.00dB"), std::string::npos) << out;
    EXPECT_NE(out.find("current: \"Gentle\""), std::string::npos) << out;
    out = run("info --user-defaults", &status);
    EXPECT_EQ(status, 0) << out;
    EXPECT_NE(out.find("15  LFgain   15.00dB"), std::string::npos) << out;
    out = run("info --user-defaults --program Mild", &status);
    EXPECT_NE(status, 0);
    EXPECT_NE(out.find("3 \"Gentle\""), std::string::npos) << out;

    if (before)
        setenv("XDG_CONFIG_HOME", saved.c_str(), 1);
    else
        unsetenv("XDG_CONFIG_HOME");
    std::filesystem::remove_all(config);
}
