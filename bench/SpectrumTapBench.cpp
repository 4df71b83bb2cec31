// What the response panel costs the audio path: 48000 Hz stereo, 512-frame
// blocks, with no window listening and with one that takes the spectra's
// samples from another thread as the panel's idle does.
#include <benchmark/benchmark.h>

#include <atomic>
#include <cmath>
#include <thread>
#include <vector>

#include "plugin/Sylvatone.h"

namespace {

constexpr int kBlock = 512;
constexpr double kRate = 48000.0;

void panel(benchmark::State& state)
{
    const bool open = state.range(0) != 0;
    Sylvatone fx(nullptr);
    fx.setSampleRate(static_cast<float>(kRate));
    fx.setPresetNo(5);
    fx.resume();
    fx.spectrumTap().listening = open;
    std::atomic<bool> stop{false};
    std::thread window([&] {
        float scratch[4096];
        while (!stop.load(std::memory_order_relaxed)) {
            if (open) {
                fx.spectrumTap().input.pop(scratch, 4096);
                fx.spectrumTap().output.pop(scratch, 4096);
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    });

    std::vector<float> l(kBlock), r(kBlock);
    for (int i = 0; i < kBlock; ++i) {
        l[i] = static_cast<float>(0.5 * std::sin(0.05 * i));
        r[i] = static_cast<float>(0.5 * std::cos(0.031 * i));
    }
    std::vector<float> ol(kBlock), orr(kBlock);
    float* in[2] = {l.data(), r.data()};
    float* out[2] = {ol.data(), orr.data()};
    for (auto _ : state) {
        fx.processReplacing(in, out, kBlock);
        benchmark::DoNotOptimize(ol.data());
        benchmark::ClobberMemory();
    }
    stop = true;
    window.join();
    const double frames = static_cast<double>(state.iterations()) * kBlock;
    state.counters["ns_per_frame"] =
        benchmark::Counter(frames * 1e-9, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    state.counters["x_realtime"] = benchmark::Counter(frames / kRate, benchmark::Counter::kIsRate);
}

}  // namespace

BENCHMARK(panel)->ArgName("panel_open")->Arg(0)->Arg(1);
