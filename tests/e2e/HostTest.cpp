// The built bundle loaded exactly as a DAW loads it: dlopen, VSTPluginMain,
// dispatcher; the host records every call the plug-in makes back. What the
// dispatcher answers is tested in-process; here only what needs the library.
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

bool called(const PluginHost& host, int32_t opcode)
{
    const auto& calls = host.calls();
    return std::any_of(calls.begin(), calls.end(),
                       [&](const HostCall& c) { return c.opcode == opcode; });
}

}  // namespace

TEST(LoadedBundle, ExportsOnlyTheEntryPoint)
{
    // Sanitizer builds add their own runtime hooks; they are not ours.
    const std::string command = std::string("nm -D --defined-only '") + SYLVATONE_PLUGIN_PATH +
                                "' | awk '{print $NF}' | grep -Ev '^__(asan|ubsan|sanitizer)'";
    FILE* pipe = popen(command.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    char out[4096];
    const size_t n = fread(out, 1, sizeof out, pipe);
    pclose(pipe);
    EXPECT_EQ(std::string(out, n), "VSTPluginMain\n");
}

// The version is asked first, twice, before the record exists; then the
// construction selects program 0, which the host sees as a display update
// and one empty gesture on parameter 0. Resuming reports the latency of the
// rate.
TEST(LoadedBundle, LoadsAndResumesAsAHostSeesIt)
{
    auto host = loadPlugin();
    ASSERT_TRUE(host);
    const std::vector<HostCall> calls = host->calls();
    ASSERT_GE(calls.size(), 5u);
    EXPECT_EQ(calls[0].opcode, audioMasterVersion);
    EXPECT_FALSE(calls[0].withEffect);
    EXPECT_EQ(calls[1].opcode, audioMasterVersion);
    auto at = std::adjacent_find(calls.begin(), calls.end(), [](const auto& a, const auto& b) {
        return a.opcode == audioMasterUpdateDisplay && b.opcode == audioMasterBeginEdit;
    });
    ASSERT_GT(calls.end() - at, 2);
    EXPECT_EQ(at[1].index, 0);
    EXPECT_EQ(at[2].opcode, audioMasterEndEdit);
    EXPECT_EQ(at[2].index, 0);
    EXPECT_FALSE(called(*host, audioMasterIOChanged));
    EXPECT_FALSE(called(*host, audioMasterAutomate));

    host->start(48000.0f, 256);
    EXPECT_EQ(host->effect()->initialDelay, 48);
    host->dispatch(effMainsChanged, 0, 0);
    host->dispatch(effSetSampleRate, 0, 0, nullptr, 96000.0f);
    host->dispatch(effMainsChanged, 0, 1);
    EXPECT_EQ(host->effect()->initialDelay, 64);
}

TEST(LoadedBundle, RefusesAHostWithoutAVersion)
{
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

TEST(LoadedBundle, StateSavedByOneInstanceRestoresAnother)
{
    auto first = loadPlugin(), second = loadPlugin();
    ASSERT_TRUE(first && second);
    first->setParameter(27, 0.9f);
    // A stray automation value is kept in range, so the state still loads.
    first->setParameter(15, 1.0000001f);
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
    EXPECT_EQ(second->getParameter(15), 1.0f);
    EXPECT_EQ(second->programName(), "Session take");
    EXPECT_TRUE(called(*second, audioMasterUpdateDisplay));
}
