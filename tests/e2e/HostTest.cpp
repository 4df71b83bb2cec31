// The built bundle loaded exactly as a DAW loads it: dlopen, VSTPluginMain,
// dispatcher; the host records every call the plug-in makes back.
#include <dlfcn.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "host/PluginHost.h"

namespace {

std::unique_ptr<PluginHost> loadPlugin()
{
    std::string error;
    auto host = PluginHost::load(SYLVATONE_PLUGIN_PATH, &error);
    EXPECT_TRUE(host) << error;
    return host;
}

std::vector<int32_t> opcodes(const std::vector<HostCall>& calls)
{
    std::vector<int32_t> out;
    for (const HostCall& c : calls)
        out.push_back(c.opcode);
    return out;
}

}  // namespace

TEST(LoadedBundle, ExportsOnlyTheEntryPoint)
{
    std::string command = std::string("nm -D --defined-only '") + SYLVATONE_PLUGIN_PATH + "'";
    FILE* pipe = popen(command.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    std::vector<std::string> symbols;
    char line[512];
    while (fgets(line, sizeof line, pipe)) {
        std::string s(line);
        std::string name = s.substr(s.find_last_of(' ') + 1);
        name.erase(name.find_last_not_of("\n") + 1);
        // Sanitizer builds add their own runtime hooks; they are not ours.
        if (name.rfind("__asan", 0) == 0 || name.rfind("__ubsan", 0) == 0 ||
            name.rfind("__sanitizer", 0) == 0)
            continue;
        symbols.push_back(name);
    }
    ASSERT_EQ(pclose(pipe), 0);
    ASSERT_EQ(symbols.size(), 1u) << symbols.front();
    EXPECT_EQ(symbols[0], "VSTPluginMain");
}

TEST(LoadedBundle, LoadsAsAHostSeesIt)
{
    auto host = loadPlugin();
    ASSERT_TRUE(host);
    const AEffect* fx = host->effect();
    EXPECT_EQ(fx->numInputs, 2);
    EXPECT_EQ(fx->numOutputs, 2);
    EXPECT_EQ(fx->numParams, 42);
    EXPECT_EQ(fx->numPrograms, 1);
    EXPECT_EQ(fx->flags, 4145);
    EXPECT_EQ(fx->uniqueID, 0x4B525441);
    EXPECT_EQ(fx->initialDelay, 46);
    EXPECT_EQ(host->effectName(), "ZYM sylvatone");

    // The version is asked first, twice, before the record exists; then the
    // construction selects program 0, which the host sees as a display
    // update and one empty gesture on parameter 0.
    const auto& calls = host->calls();
    ASSERT_GE(calls.size(), 5u);
    EXPECT_EQ(calls[0].opcode, audioMasterVersion);
    EXPECT_FALSE(calls[0].withEffect);
    EXPECT_EQ(calls[1].opcode, audioMasterVersion);
    std::vector<int32_t> ops = opcodes(calls);
    std::vector<int32_t> selection = {audioMasterUpdateDisplay, audioMasterBeginEdit,
                                      audioMasterEndEdit};
    auto at = std::search(ops.begin(), ops.end(), selection.begin(), selection.end());
    ASSERT_NE(at, ops.end());
    size_t i = static_cast<size_t>(at - ops.begin());
    EXPECT_EQ(calls[i + 1].index, 0);
    EXPECT_EQ(calls[i + 2].index, 0);
    for (const HostCall& c : calls) {
        EXPECT_NE(c.opcode, audioMasterIOChanged);
        EXPECT_NE(c.opcode, audioMasterAutomate);
    }
}

TEST(LoadedBundle, RefusesAHostWithoutAVersion)
{
    // The host answers 0 to the version query: the entry point returns null.
    std::string error;
    struct Zero {
        static intptr_t cb(AEffect*, int32_t, int32_t, intptr_t, void*, float) { return 0; }
    };
    void* lib = dlopen(SYLVATONE_PLUGIN_PATH, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(lib, nullptr);
    auto entry = reinterpret_cast<AEffect* (*)(audioMasterCallback)>(dlsym(lib, "VSTPluginMain"));
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(entry(&Zero::cb), nullptr);
    EXPECT_EQ(entry(nullptr), nullptr);
    dlclose(lib);
}

TEST(LoadedBundle, ParametersAndResumeThroughTheHost)
{
    auto host = loadPlugin();
    ASSERT_TRUE(host);
    host->start(48000.0f, 256);
    EXPECT_EQ(host->effect()->initialDelay, 48);
    host->dispatch(effMainsChanged, 0, 0);
    host->dispatch(effSetSampleRate, 0, 0, nullptr, 96000.0f);
    host->dispatch(effMainsChanged, 0, 1);
    EXPECT_EQ(host->effect()->initialDelay, 64);

    EXPECT_EQ(host->paramName(15), "LFgain");
    host->setParameter(15, 0.4333f);
    EXPECT_EQ(host->paramDisplay(15), "-2.00dB");
    EXPECT_EQ(host->getParameter(15), 0.4333f);
    EXPECT_EQ(host->paramDisplay(21), "3.28kHz");
    EXPECT_EQ(host->paramDisplay(9), "OFF");
    EXPECT_EQ(host->programName(), "Default");

    // Processing passes audio; the pin queries are made on every call.
    host->clearCalls();
    float left[64], right[64], outL[64], outR[64];
    for (int i = 0; i < 64; ++i) {
        left[i] = static_cast<float>(i);
        right[i] = -static_cast<float>(i);
    }
    float* in[2] = {left, right};
    float* out[2] = {outL, outR};
    AEffect* fx = host->effect();
    fx->processReplacing(fx, in, out, 64);
    bool askedPins = false;
    for (const HostCall& c : host->calls())
        askedPins = askedPins || c.opcode == audioMasterPinConnected;
    EXPECT_TRUE(askedPins);

    host->close();
    EXPECT_EQ(host->effect(), nullptr);
}

TEST(LoadedBundle, StateSavedByOneInstanceRestoresAnother)
{
    auto first = loadPlugin();
    auto second = loadPlugin();
    ASSERT_TRUE(first && second);
    first->setParameter(27, 0.9f);
    char name[] = "Session take";
    first->dispatch(effSetProgramName, 0, 0, name);
    void* data = nullptr;
    const intptr_t size = first->dispatch(effGetChunk, 0, 0, &data);
    ASSERT_EQ(size, 5089);
    // A host keeps its own copy of the bytes.
    std::vector<char> saved(static_cast<char*>(data), static_cast<char*>(data) + size);

    second->clearCalls();
    EXPECT_EQ(second->dispatch(effSetChunk, 0, size, saved.data()), 0);
    EXPECT_EQ(second->getParameter(27), 0.9f);
    EXPECT_EQ(second->programName(), "Session take");
    std::vector<int32_t> ops = opcodes(second->calls());
    EXPECT_NE(std::find(ops.begin(), ops.end(), audioMasterUpdateDisplay), ops.end());

    saved[0] = 0x03;  // an unknown format version
    EXPECT_EQ(second->dispatch(effSetChunk, 1, size, saved.data()), -1);
    EXPECT_EQ(second->dispatch(effSetChunk, 0, -1, saved.data()), -1);
}
