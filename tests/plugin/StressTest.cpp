// One thread automates every parameter while another processes audio and a
// third, the user interface, idles the open editor (its response panel
// taking the audio's spectra), as hosts do. Run under
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

// The user-interface thread works the program store (programs chosen from
// the strip, chunks taken and given, texts read) while automation and audio
// run on theirs. Every chunk taken during the storm loads in a new instance.
TEST(Concurrency, TheProgramStoreWhileAutomationAndAudioRun)
{
    Sylvatone fx(nullptr);
    fx.setSampleRate(48000.0f);
    fx.resume();
    auto* editor = new ADEditor(&fx);  // owned by fx
    editor->usePanel(true);
    ASSERT_TRUE(editor->open(nullptr));
    ASSERT_TRUE(editor->responsePanel());
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
