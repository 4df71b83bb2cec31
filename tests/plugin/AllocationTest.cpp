// The audio path must not allocate: count every operator new while blocks
// are processed through both entries, with parameters changing in between.
#include <atomic>
#include <cstdlib>
#include <new>
#include <vector>

#include <gtest/gtest.h>

#include "plugin/Sylvatone.h"

// The replacements below pair malloc with free on purpose.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"

namespace {
std::atomic<bool> counting{false};
std::atomic<long> allocations{0};
std::atomic<long> bytes{0};

void* counted(std::size_t size, std::size_t align)
{
    if (counting.load(std::memory_order_relaxed)) {
        allocations.fetch_add(1, std::memory_order_relaxed);
        bytes.fetch_add(static_cast<long>(size), std::memory_order_relaxed);
    }
    if (void* p = align ? std::aligned_alloc(align, (size + align - 1) / align * align)
                        : std::malloc(size ? size : 1))
        return p;
    throw std::bad_alloc();
}
}  // namespace

void* operator new(std::size_t size) { return counted(size, 0); }
void* operator new(std::size_t size, std::align_val_t a)
{
    return counted(size, static_cast<std::size_t>(a));
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::align_val_t) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete(void* p, std::size_t, std::align_val_t) noexcept { std::free(p); }

TEST(AudioPath, AllocatesNothing)
{
    Sylvatone fx(nullptr);
    fx.setSampleRate(48000.0f);
    fx.resume();
    std::vector<float> l(4096, 0.25f), r(4096, -0.25f);
    std::vector<double> dl(4096, 0.25), dr(4096, -0.25);
    float* io[2] = {l.data(), r.data()};
    double* dio[2] = {dl.data(), dr.data()};
    allocations = 0;
    counting = true;
    for (int round = 0; round < 20; ++round) {
        // Half the time a window shows the spectrum and takes the audio.
        fx.spectrumTap().listening = round % 2 != 0;
        fx.setParameter(kParamSat, round % 2 ? 1.0f : 0.0f);
        fx.setParameter(kParamLfGain, static_cast<float>(round) / 20.0f);
        fx.setParameter(kParamHmfFreq, static_cast<float>(round % 7) / 6.0f);
        fx.setParameter(kParamHf, round % 3 ? 1.0f : 0.0f);
        fx.setParameter(kParamLsr, static_cast<float>(round % 3) / 2.0f);
        fx.processReplacing(io, io, 4096);
        fx.processDoubleReplacing(dio, dio, 1 + round * 97);
        fx.processLoopFastMono(io, io, 333);
        fx.processLoopFastDoubleMono(dio, dio, 17);
    }
    counting = false;
    EXPECT_EQ(allocations.load(), 0);
}
