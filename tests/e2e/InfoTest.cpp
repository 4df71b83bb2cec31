// `sylvatone info` prints the host's view of the built plug-in.
#include <cstdio>
#include <fstream>
#include <string>

#include <gtest/gtest.h>

#include "plugin/Sylvatone.h"
#include "editor/ADEditor.h"

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
            for (const char* other : commands)
                if (other != command)
                    EXPECT_EQ(out.find(std::string("\n  ") + other + " "), std::string::npos)
                        << command << " shows " << other << "'s usage:\n" << out;
        }
    int status = 0;
    std::string out = run("--help", &status);
    EXPECT_EQ(status, 0);
    for (const char* command : commands)
        EXPECT_NE(out.find(std::string("  ") + command + " "), std::string::npos) << out;
}
