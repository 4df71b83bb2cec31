// Hands the audio the effect takes in and gives out to a window that shows
// its spectrum: two lock-free single-producer, single-consumer rings of mono
// samples (the mean of the channels). The audio thread writes only while a
// window listens and drops what does not fit; it never waits. The window
// reads what has arrived at its idle.
#pragma once

#include <atomic>
#include <cstdint>

class SampleRing {
public:
    static constexpr uint32_t kCapacity = 1u << 15;  // a power of two

    // Producer (audio thread): as many samples as there is room for.
    template <typename T>
    void push(const T* left, const T* right, int frames)
    {
        const uint32_t head = written.load(std::memory_order_relaxed);
        const uint32_t room = kCapacity - (head - read.load(std::memory_order_acquire));
        const uint32_t n = static_cast<uint32_t>(frames) < room ? static_cast<uint32_t>(frames) : room;
        for (uint32_t i = 0; i < n; ++i)
            data[(head + i) & (kCapacity - 1)] =
                right ? 0.5f * static_cast<float>(left[i] + right[i]) : static_cast<float>(left[i]);
        written.store(head + n, std::memory_order_release);
    }

    // Consumer (window): up to max samples into out; returns how many.
    int pop(float* out, int max)
    {
        const uint32_t tail = read.load(std::memory_order_relaxed);
        const uint32_t ready = written.load(std::memory_order_acquire) - tail;
        const uint32_t n = static_cast<uint32_t>(max) < ready ? static_cast<uint32_t>(max) : ready;
        for (uint32_t i = 0; i < n; ++i)
            out[i] = data[(tail + i) & (kCapacity - 1)];
        read.store(tail + n, std::memory_order_release);
        return static_cast<int>(n);
    }

private:
    float data[kCapacity] = {};
    alignas(64) std::atomic<uint32_t> written{0};
    alignas(64) std::atomic<uint32_t> read{0};
};

struct SpectrumTap {
    // Set by a window while it shows the spectrum.
    std::atomic<bool> listening{false};
    SampleRing input, output;
};
