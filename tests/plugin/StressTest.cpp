// One thread automates every parameter while another processes audio and a
// third, the user interface, idles the open editor, as hosts do. Run under
// ThreadSanitizer, this proves the handover race-free; in any build the
// output must stay finite and bounded.
#include <atomic>
#include <cmath>
#include <random>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "plugin/Sylvatone.h"
#include "editor/ADEditor.h"

TEST(Concurrency, AutomationAudioAndEditorOnTheirOwnThreads)
{
    Sylvatone fx(nullptr);
    fx.setSampleRate(44100.0f);
    fx.resume();
    AEffEditor* editor = new ADEditor(&fx);  // owned by fx
    ASSERT_TRUE(editor->open(nullptr));
    std::atomic<bool> stop{false};

    std::thread automation([&] {
        std::mt19937 rng(11);
        std::uniform_real_distribution<float> value(0.0f, 1.0f);
        while (!stop.load()) {
            for (int i = 0; i < kNumParams; ++i)
                fx.setParameter(i, value(rng));
            fx.setParameter(kParamOutput, 0.5f);  // keep the level comparable
            char text[32];
            fx.getParameterDisplay(kParamLfGain, text);
            (void)fx.getParameterValue(kParamHfFreq);
        }
    });
    double worst = 0.0;
    bool finite = true;
    std::thread audio([&] {
        std::vector<double> l(256), r(256);
        for (int block = 0; block < 600; ++block) {
            for (size_t i = 0; i < l.size(); ++i) {
                double t = static_cast<double>(block * 256 + static_cast<int>(i)) / 44100.0;
                l[i] = 0.5 * std::sin(2 * M_PI * 220.0 * t);
                r[i] = 0.5 * std::sin(2 * M_PI * 3300.0 * t);
            }
            double* io[2] = {l.data(), r.data()};
            fx.processDoubleReplacing(io, io, 256);
            for (size_t i = 0; i < l.size(); ++i) {
                finite = finite && std::isfinite(l[i]) && std::isfinite(r[i]);
                worst = std::max({worst, std::fabs(l[i]), std::fabs(r[i])});
            }
            (void)fx.getOutputPeak();
        }
        stop = true;
    });
    // Values reach the controls only through this thread's idle.
    for (int i = 0; i < 300 || !stop.load(); ++i)
        editor->idle();
    automation.join();
    audio.join();
    editor->idle();
    editor->close();
    EXPECT_TRUE(finite);
    // 0.5 through at most +15 dB on two overlapping bands stays well below 20.
    EXPECT_LT(worst, 20.0);
}

// The user-interface thread works the program store (programs chosen from
// the strip, chunks taken and given, texts read) while automation and audio
// run on theirs. Every chunk taken during the storm loads in a new instance.
TEST(Concurrency, TheProgramStoreWhileAutomationAndAudioRun)
{
    Sylvatone fx(nullptr);
    fx.setSampleRate(48000.0f);
    fx.resume();
    AEffEditor* editor = new ADEditor(&fx);  // owned by fx
    ASSERT_TRUE(editor->open(nullptr));
    std::atomic<bool> stop{false};

    std::thread automation([&] {
        std::mt19937 rng(5);
        // Stray values too: they must never reach stored data unclamped.
        std::uniform_real_distribution<float> value(-0.5f, 1.5f);
        while (!stop.load())
            for (int i = 0; i < kNumParams; ++i)
                fx.setParameter(i, i == kParamOutput ? 0.5f : value(rng));
    });
    bool finite = true;
    std::thread audio([&] {
        std::vector<float> l(128), r(128);
        for (int block = 0; block < 1500; ++block) {
            for (size_t i = 0; i < l.size(); ++i)
                l[i] = r[i] = 0.5f * std::sin(0.05f * static_cast<float>(block * 128 + static_cast<int>(i)));
            float* io[2] = {l.data(), r.data()};
            fx.processReplacing(io, io, 128);
            for (size_t i = 0; i < l.size(); ++i)
                finite = finite && std::isfinite(l[i]) && std::isfinite(r[i]);
        }
        stop = true;
    });

    std::vector<std::vector<char>> chunks;
    for (int round = 0; !stop.load() || round < 50; ++round) {
        editor->idle();
        fx.setPresetNo(round % kNumPrograms);
        char text[32];
        fx.getParameterDisplay(round % kNumParams, text);
        fx.getProgramName(text);
        void* data = nullptr;
        const int32_t size = fx.getChunk(&data, false);
        ASSERT_GT(size, 0);
        if (chunks.size() < 300)
            chunks.emplace_back(static_cast<char*>(data), static_cast<char*>(data) + size);
        if (round % 3 == 0) {
            ASSERT_EQ(fx.setChunk(chunks[chunks.size() / 2].data(), size, false), 0);
        }
    }
    automation.join();
    audio.join();
    editor->close();
    EXPECT_TRUE(finite);

    for (std::vector<char>& chunk : chunks) {
        Sylvatone fresh(nullptr);
        ASSERT_EQ(fresh.setChunk(chunk.data(), static_cast<int32_t>(chunk.size()), false), 0);
    }
}
