#include "editor/Spectrum.h"

#include <fftw3.h>

#include <algorithm>
#include <cmath>
#include <mutex>

namespace {

constexpr double kPi = 3.14159265358979323846;
// How much of the last frame's level stays in the next (about 30 frames a
// second): steady sounds settle within a few frames, changes still show.
constexpr double kKeep = 0.6;
constexpr double kFloorDb = -120.0;

// FFTW's planner is not thread-safe; windows of several instances may be
// built in different threads.
std::mutex& plannerLock()
{
    static std::mutex lock;
    return lock;
}

}  // namespace

Spectrum::Spectrum() : history(kSize, 0.0f), power(kBins, 0.0), window(kSize)
{
    // A Hann window scaled so that a full-scale sine on a bin reads 0 dB.
    double sum = 0.0;
    for (int i = 0; i < kSize; ++i)
        sum += window[i] = 0.5 - 0.5 * std::cos(2.0 * kPi * i / kSize);
    for (double& w : window)
        w *= 2.0 / sum;
    std::lock_guard<std::mutex> guard(plannerLock());
    in = fftw_alloc_real(kSize);
    auto* spectrum = fftw_alloc_complex(kBins);
    out = spectrum;
    plan = fftw_plan_dft_r2c_1d(kSize, in, spectrum, FFTW_ESTIMATE);
}

Spectrum::~Spectrum()
{
    std::lock_guard<std::mutex> guard(plannerLock());
    fftw_destroy_plan(static_cast<fftw_plan>(plan));
    fftw_free(out);
    fftw_free(in);
}

void Spectrum::take(const float* samples, int count)
{
    for (int i = 0; i < count; ++i) {
        history[static_cast<size_t>(next)] = samples[i];
        next = (next + 1) % kSize;
    }
}

void Spectrum::update()
{
    for (int i = 0; i < kSize; ++i)
        in[i] = history[static_cast<size_t>((next + i) % kSize)] * window[static_cast<size_t>(i)];
    fftw_execute(static_cast<fftw_plan>(plan));
    const auto* bins = static_cast<const fftw_complex*>(out);
    for (int k = 0; k < kBins; ++k) {
        const double p = bins[k][0] * bins[k][0] + bins[k][1] * bins[k][1];
        power[static_cast<size_t>(k)] = kKeep * power[static_cast<size_t>(k)] + (1.0 - kKeep) * p;
    }
}

void Spectrum::clear()
{
    std::fill(history.begin(), history.end(), 0.0f);
    std::fill(power.begin(), power.end(), 0.0);
}

double Spectrum::levelDb(double lowHz, double highHz, double rate) const
{
    const double last = kBins - 1;
    const double low = std::clamp(lowHz * kSize / rate, 0.0, last);
    const double high = std::clamp(highHz * kSize / rate, low, last);
    auto db = [](double p) { return p > 0.0 ? std::max(kFloorDb, 10.0 * std::log10(p)) : kFloorDb; };
    // Narrower than a bin (the low end of a log axis): between the two
    // nearest bins, so the curve does not step.
    if (high - low < 1.0) {
        const double at = 0.5 * (low + high);
        const int a = std::min(static_cast<int>(at), kBins - 2);
        const double t = at - a;
        return (1.0 - t) * db(power[static_cast<size_t>(a)]) + t * db(power[static_cast<size_t>(a + 1)]);
    }
    double p = 0.0;
    for (int k = static_cast<int>(std::ceil(low)); k <= static_cast<int>(high); ++k)
        p = std::max(p, power[static_cast<size_t>(k)]);
    return db(p);
}
