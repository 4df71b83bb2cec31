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

#include "engine/Sylvatone.h"
#include "shell/AEffEditor.h"

TEST(Concurrency, AutomationAudioAndEditorOnTheirOwnThreads)
{
    Sylvatone fx(nullptr);
    fx.setSampleRate(44100.0f);
    fx.resume();
    AEffEditor* editor = fx.getEditor();
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
