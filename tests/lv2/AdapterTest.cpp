// The LV2 edition's port conversion and its binary as a host loads it.
#include <dlfcn.h>
#include <lv2/core/lv2.h>

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "engine/EqEngine.h"
#include "engine/FactoryPresets.h"
#include "lv2/Ports.h"

namespace {

const lv2ports::ControlPort* ports(int* count)
{
    return lv2ports::controlPorts(count);
}

const lv2ports::ControlPort& port(const char* symbol)
{
    int n = 0;
    const lv2ports::ControlPort* all = ports(&n);
    for (int i = 0; i < n; ++i)
        if (std::string(all[i].symbol) == symbol)
            return all[i];
    ADD_FAILURE() << "no port " << symbol;
    return all[0];
}

size_t indexOf(const char* symbol)
{
    int n = 0;
    return static_cast<size_t>(&port(symbol) - ports(&n));
}

float decoded(int param, float normalised)
{
    ParamState s;
    decodeParameter(s, param, normalised);
    return parameterValue(s, param);
}

TEST(Lv2Ports, OneControlPerNamedParameterButTheHiddenLowCutEnable)
{
    int n = 0;
    const lv2ports::ControlPort* all = ports(&n);
    ASSERT_EQ(n, 21);
    for (int i = 0; i < n; ++i) {
        EXPECT_NE(kParamInfo[all[i].param].name[0], '\0');
        EXPECT_NE(all[i].param, kParamLowCutEnable);
    }
}

TEST(Lv2Ports, ValuesDecodeAsTheEditorWritesThem)
{
    // Tables: entry k of n is k/(n-1); values between entries take the nearest.
    const auto& lmf = port("lmffreq");
    EXPECT_FLOAT_EQ(lv2ports::toNormalised(lmf, 443), 0.5f);
    EXPECT_FLOAT_EQ(lv2ports::toNormalised(lmf, 900), 1.0f);
    EXPECT_FLOAT_EQ(lv2ports::toNormalised(lmf, 420), 0.5f);
    EXPECT_FLOAT_EQ(lv2ports::toNormalised(lmf, 5), 0.0f);
    const auto& hpf = port("hpffreq");
    EXPECT_EQ(lv2ports::toNormalised(hpf, 3), 0.0f);
    EXPECT_FLOAT_EQ(lv2ports::toNormalised(hpf, 20), 0.1f);
    // Gains snap to half decibels: (dB + 15) / 30.
    const auto& gain = port("lfgain");
    EXPECT_FLOAT_EQ(lv2ports::toNormalised(gain, 3.3f), 18.5f / 30);
    EXPECT_FLOAT_EQ(lv2ports::toNormalised(gain, -40), 0.0f);
    EXPECT_FLOAT_EQ(lv2ports::toNormalised(gain, NAN), 0.0f);
    const auto& lsr = port("l_s_r");
    EXPECT_EQ(lv2ports::toNormalised(lsr, 0), 0.0f);
    EXPECT_EQ(lv2ports::toNormalised(lsr, 1), 0.5f);
    EXPECT_EQ(lv2ports::toNormalised(lsr, 2), 1.0f);
    EXPECT_EQ(lv2ports::toNormalised(port("sat"), 1), 1.0f);
    EXPECT_EQ(lv2ports::toNormalised(port("sat"), 0.2f), 0.0f);

    // Every table entry and half decibel decodes to itself.
    int n = 0;
    const lv2ports::ControlPort* all = ports(&n);
    for (int i = 0; i < n; ++i) {
        const auto& p = all[i];
        if (p.style == lv2ports::Style::Table) {
            for (int k = 0; k < p.table.count; ++k)
                EXPECT_EQ(decoded(p.param, lv2ports::toNormalised(p, p.table.values[k])),
                          static_cast<float>(p.table.values[k])) << p.symbol << " " << k;
        }
        if (p.style == lv2ports::Style::Decibels && p.param != kParamOutput) {
            for (int h = -30; h <= 30; ++h)
                EXPECT_EQ(decoded(p.param, lv2ports::toNormalised(p, h * 0.5f)), h * 0.5f) << p.symbol;
        }
    }
}

TEST(Lv2Ports, FactoryValuesSurviveTheTripThroughPortValues)
{
    int n = 0;
    const lv2ports::ControlPort* all = ports(&n);
    for (int prog = 0; prog < kNumPrograms; ++prog)
        for (int i = 0; i < n; ++i) {
            const float v = factoryPrograms()[prog].params[all[i].param];
            const float back = lv2ports::toNormalised(all[i], lv2ports::fromNormalised(all[i], v));
            EXPECT_EQ(decoded(all[i].param, back), decoded(all[i].param, v))
                << factoryPrograms()[prog].name << " " << all[i].symbol;
        }
    // The output reads back in dB, not as its linear gain.
    EXPECT_EQ(lv2ports::fromNormalised(port("output"), 0.7f), 6.0f);
}

// The binary, loaded and run as a host runs it.
class Lv2Binary : public ::testing::Test {
protected:
    static constexpr int kFrames = 700;  // not a multiple of the engine's sub-block

    void SetUp() override
    {
        lib = dlopen(SYLVATONE_LV2_BINARY, RTLD_NOW | RTLD_LOCAL);
        ASSERT_NE(lib, nullptr) << dlerror();
        auto entry = reinterpret_cast<LV2_Descriptor_Function>(dlsym(lib, "lv2_descriptor"));
        ASSERT_NE(entry, nullptr);
        desc = entry(0);
        ASSERT_NE(desc, nullptr);
        EXPECT_EQ(entry(1), nullptr);
        int n = 0;
        const lv2ports::ControlPort* all = ports(&n);
        for (int i = 0; i < n; ++i)
            controls.push_back(lv2ports::fromNormalised(all[i], factoryPrograms()[0].params[all[i].param]));
        for (int c = 0; c < 2; ++c) {
            in[c].resize(kFrames);
            out[c].assign(kFrames, 0.0f);
            for (int i = 0; i < kFrames; ++i)
                in[c][i] = 0.4f * std::sin(0.05f * i * (c + 1)) + 0.3f * std::sin(0.9f * i);
        }
    }
    void TearDown() override
    {
        if (lib)
            dlclose(lib);
    }

    LV2_Handle start(double rate, bool stereo)
    {
        LV2_Handle h = desc->instantiate(desc, rate, "", nullptr);
        desc->connect_port(h, lv2ports::kInL, in[0].data());
        desc->connect_port(h, lv2ports::kOutL, out[0].data());
        desc->connect_port(h, lv2ports::kInR, stereo ? in[1].data() : nullptr);
        desc->connect_port(h, lv2ports::kOutR, stereo ? out[1].data() : nullptr);
        desc->connect_port(h, lv2ports::kLatency, &latency);
        for (size_t i = 0; i < controls.size(); ++i)
            desc->connect_port(h, lv2ports::kFirstControl + static_cast<uint32_t>(i), &controls[i]);
        desc->activate(h);
        return h;
    }

    // An engine set as a VST host sets one: every value, then resume.
    void startEngine(EqEngine& e, double rate)
    {
        for (int i = 0; i < kNumProgramParams; ++i)
            e.setParameter(i, factoryPrograms()[0].params[i]);
        int n = 0;
        const lv2ports::ControlPort* all = ports(&n);
        for (int i = 0; i < n; ++i)
            e.setParameter(all[i].param, lv2ports::toNormalised(all[i], controls[i]));
        e.suspend();
        e.resume(rate);
    }

    void* lib = nullptr;
    const LV2_Descriptor* desc = nullptr;
    std::vector<float> controls;
    std::vector<float> in[2], out[2];
    float latency = -1;
};

TEST_F(Lv2Binary, ProcessesAsTheEngineWithTheSameValuesAndReportsItsLatency)
{
    for (double rate : {44100.0, 96000.0}) {
        controls[indexOf("hpffreq")] = 70;
        controls[indexOf("lfgain")] = -6;
        controls[indexOf("output")] = 3;
        LV2_Handle h = start(rate, true);
        desc->run(h, kFrames);
        EqEngine e;
        startEngine(e, rate);
        EXPECT_EQ(latency, static_cast<float>(e.latencySamples()));
        std::vector<float> ref[2] = {std::vector<float>(kFrames), std::vector<float>(kFrames)};
        e.processStereo(in[0].data(), in[1].data(), ref[0].data(), ref[1].data(), kFrames);
        EXPECT_EQ(out[0], ref[0]);
        EXPECT_EQ(out[1], ref[1]);

        // A value changed between runs reaches the engine the same way.
        controls[indexOf("output")] = -9.7f;
        desc->run(h, kFrames);
        e.setParameter(kParamOutput, lv2ports::toNormalised(port("output"), -9.7f));
        e.processStereo(in[0].data(), in[1].data(), ref[0].data(), ref[1].data(), kFrames);
        EXPECT_EQ(out[0], ref[0]);
        EXPECT_EQ(out[1], ref[1]);
        desc->cleanup(h);
    }
}

TEST_F(Lv2Binary, OnlyTheLeftPairConnectedIsMono)
{
    // Stereo with the right channel selected would leave the left one dry.
    controls[indexOf("l_s_r")] = 2;
    controls[indexOf("lmfgain")] = 9;
    LV2_Handle h = start(48000, false);
    desc->run(h, kFrames);
    EqEngine e;
    startEngine(e, 48000);
    std::vector<float> ref(kFrames);
    e.processMono(in[0].data(), ref.data(), static_cast<float*>(nullptr), kFrames);
    EXPECT_EQ(out[0], ref);
    EXPECT_NE(out[0], in[0]);
    desc->cleanup(h);
}

}  // namespace
