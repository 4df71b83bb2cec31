// The audio path must not allocate: count every operator new while blocks
// are processed through both entries, with parameters changing in between.
#include <atomic>
#include <cstdlib>
#include <memory>
#include <new>
#include <vector>

#include <gtest/gtest.h>

#include "engine/Sylvatone.h"

// The replacements below pair malloc with free on purpose.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"

namespace {
std::atomic<bool> counting{false};
std::atomic<long> allocations{0};
std::atomic<long> bytes{0};

void count(std::size_t size)
{
    if (counting.load(std::memory_order_relaxed)) {
        allocations.fetch_add(1, std::memory_order_relaxed);
        bytes.fetch_add(static_cast<long>(size), std::memory_order_relaxed);
    }
}
}  // namespace

void* operator new(std::size_t size)
{
    count(size);
    if (void* p = std::malloc(size ? size : 1))
        return p;
    throw std::bad_alloc();
}

void* operator new(std::size_t size, std::align_val_t align)
{
    count(size);
    const std::size_t a = static_cast<std::size_t>(align);
    if (void* p = std::aligned_alloc(a, (size + a - 1) / a * a))
        return p;
    throw std::bad_alloc();
}

void operator delete(void* p, std::align_val_t) noexcept
{
    std::free(p);
}

void operator delete(void* p, std::size_t, std::align_val_t) noexcept
{
    std::free(p);
}

void operator delete(void* p) noexcept
{
    std::free(p);
}

void operator delete(void* p, std::size_t) noexcept
{
    std::free(p);
}

TEST(AudioPath, CounterSeesAllocations)
{
    allocations = 0;
    counting = true;
    auto probe = std::make_unique<int>(3);
    counting = false;
    EXPECT_EQ(allocations.load(), 1);
}

TEST(AudioPath, AnInstanceHoldsUnderAQuarterMegabyte)
{
    bytes = 0;
    counting = true;
    auto* fx = new Sylvatone(nullptr);
    counting = false;
    const long constructed = bytes.load();
    // Rate changes, suspend and resume reuse what construction allocated.
    allocations = 0;
    counting = true;
    fx->setSampleRate(192000.0f);
    fx->resume();
    fx->suspend();
    fx->setSampleRate(44100.0f);
    fx->resume();
    counting = false;
    EXPECT_EQ(allocations.load(), 0);
    delete fx;
    EXPECT_GT(constructed, static_cast<long>(sizeof(Sylvatone)) - 1);
    EXPECT_LT(constructed, 256L * 1024);
}

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
