// Cost of the audio path per stereo frame, as a host drives it: blocks of
// 512 frames, or 32 as low-latency hosts send them, through the 32- or 64-bit
// entry, at the common host rates, with saturation off or on, and with the
// filters steady or gliding throughout; then a mono track (one input, one
// output) at 48 and 96 kHz. `--width=sse2|avx2|avx512` runs a narrower
// vector width than the widest the processor has.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

#include "engine/Simd.h"
#include "plugin/Sylvatone.h"

namespace {

// One host's run; mono, the host gives one input and one output.
template <typename T>
void run(benchmark::State& state, double rate, bool sat, bool gliding, int block, bool mono)
{
    Sylvatone fx(nullptr);
    if (mono) {
        VstSpeakerArrangement one{};
        one.type = kSpeakerArrMono;
        one.numChannels = 1;
        fx.setSpeakerArrangement(&one, &one);
    }
    fx.setSampleRate(static_cast<float>(rate));
    fx.setParameter(kParamSat, sat ? 1.0f : 0.0f);
    fx.setPresetNo(5);  // every band on
    fx.setParameter(kParamSat, sat ? 1.0f : 0.0f);
    fx.resume();

    std::vector<T> l(block), r(block);
    for (int i = 0; i < block; ++i) {
        l[i] = static_cast<T>(0.5 * std::sin(0.05 * i));
        r[i] = static_cast<T>(0.5 * std::cos(0.031 * i));
    }
    std::vector<T> ol(block), orr(block);
    T* in[2] = {l.data(), r.data()};
    T* out[2] = {ol.data(), orr.data()};

    bool flip = false;
    long done = 0;
    for (auto _ : state) {
        if (gliding && done % 2048 == 0) {
            // New destinations for every filter every 2048 frames, shorter
            // than the 50 ms glide at any of these rates, keep every filter
            // gliding all the time.
            flip = !flip;
            for (int index : {kParamHpfFreq, kParamLfGain, kParamLmfGain, kParamHmfGain, kParamHfGain})
                fx.setParameter(index, flip ? 0.3f : 0.7f);
        }
        if constexpr (sizeof(T) == sizeof(float))
            fx.processReplacing(in, out, block);
        else
            fx.processDoubleReplacing(in, out, block);
        done += block;
        benchmark::DoNotOptimize(ol.data());
        benchmark::ClobberMemory();
    }
    const double frames = static_cast<double>(state.iterations()) * block;
    state.SetItemsProcessed(static_cast<int64_t>(frames));
    state.counters["ns_per_frame"] =
        benchmark::Counter(frames * 1e-9, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    state.counters["x_realtime"] = benchmark::Counter(frames / rate, benchmark::Counter::kIsRate);
}

template <typename T>
void runEngine(benchmark::State& state)
{
    run<T>(state, static_cast<double>(state.range(0)), state.range(1) != 0, state.range(2) != 0,
           static_cast<int>(state.range(3)), false);
}

// A mono track: one channel, frames of one sample.
void runMono(benchmark::State& state)
{
    run<float>(state, static_cast<double>(state.range(0)), false, state.range(1) != 0,
               static_cast<int>(state.range(2)), true);
}

void rates(benchmark::internal::Benchmark* b)
{
    b->ArgNames({"rate", "sat", "glide", "block"});
    for (int block : {512, 32})
        for (int rate : {44100, 48000, 96000, 192000})
            for (int sat : {0, 1})
                for (int glide : {0, 1})
                    b->Args({rate, sat, glide, block});
}

}  // namespace

void monoRates(benchmark::internal::Benchmark* b)
{
    b->ArgNames({"rate", "glide", "block"});
    for (int block : {512, 32})
        for (int rate : {48000, 96000})
            for (int glide : {0, 1})
                b->Args({rate, glide, block});
}

BENCHMARK_TEMPLATE(runEngine, float)->Apply(rates);
BENCHMARK_TEMPLATE(runEngine, double)->Apply(rates);
BENCHMARK(runMono)->Apply(monoRates);

namespace {

const char* nameOf(SimdWidth width)
{
    switch (width) {
    case SimdWidth::Avx512: return "avx512";
    case SimdWidth::Avx2: return "avx2";
    default: return "sse2";
    }
}

}  // namespace

int main(int argc, char** argv)
{
    // Takes --width=NAME out of the arguments before the library reads them.
    int kept = 1;
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], "--width=", 8) != 0) {
            argv[kept++] = argv[i];
            continue;
        }
        bool known = false;
        for (SimdWidth width : {SimdWidth::Sse2, SimdWidth::Avx2, SimdWidth::Avx512})
            if (std::strcmp(argv[i] + 8, nameOf(width)) == 0) {
                known = true;
                if (!setSimdWidth(width)) {
                    std::fprintf(stderr, "this processor has no %s\n", nameOf(width));
                    return 2;
                }
            }
        if (!known) {
            std::fprintf(stderr, "--width takes sse2, avx2 or avx512\n");
            return 2;
        }
    }
    argc = kept;
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::AddCustomContext("vector width", nameOf(simdWidth()));
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
