// The per-block signal path: sub-blocks of host samples carried at 64 bits
// through oversampling, the equaliser, the output gain, the low cut,
// decimation and the saturation stage. Audio thread; allocates nothing and
// takes no lock.
#include <emmintrin.h>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "engine/EqEngine.h"
#include "engine/Flush.h"
#include "engine/StereoChain.h"

namespace {

constexpr auto rel = std::memory_order_relaxed;
constexpr double kGainSmoothing = 0.002;
constexpr double kPeakLimit = 4.0;

// The largest |x[i]| and peak; NaN passed over (max keeps its second operand
// then, as a > peak ? a : peak keeps peak), in any order the same.
double peakOf(const double* x, int m, double peak)
{
    int i = 0;
    __m128d most = _mm_set1_pd(peak);
    const __m128d magnitude = _mm_castsi128_pd(_mm_set1_epi64x(0x7fffffffffffffff));
    for (; i + 2 <= m; i += 2)
        most = _mm_max_pd(_mm_and_pd(_mm_loadu_pd(x + i), magnitude), most);
    alignas(16) double lanes[2];
    _mm_store_pd(lanes, most);
    peak = lanes[0] > lanes[1] ? lanes[0] : lanes[1];
    for (; i < m; ++i) {
        double a = std::fabs(x[i]);
        if (a > peak)
            peak = a;
    }
    return peak;
}

// The conversions between the host's samples and the 64-bit path, four at a
// time for 32-bit samples (the same roundings as one by one).
void writeOut(const double* x, int m, double* out)
{
    std::memcpy(out, x, sizeof(double) * m);
}

void writeOut(const double* x, int m, float* out)
{
    int i = 0;
    for (; i + 4 <= m; i += 4)
        _mm_storeu_ps(out + i, _mm_movelh_ps(_mm_cvtpd_ps(_mm_loadu_pd(x + i)), _mm_cvtpd_ps(_mm_loadu_pd(x + i + 2))));
    for (; i < m; ++i)
        out[i] = static_cast<float>(x[i]);
}

// Four samples from p on as doubles, in two registers.
void loadFour(const double* p, __m128d& u, __m128d& v)
{
    u = _mm_loadu_pd(p);
    v = _mm_loadu_pd(p + 2);
}

void loadFour(const float* p, __m128d& u, __m128d& v)
{
    const __m128 f = _mm_loadu_ps(p);
    u = _mm_cvtps_pd(f);
    v = _mm_cvtps_pd(_mm_movehl_ps(f, f));
}

// Reading in also tells whether a NaN or infinity was among the samples:
// their sum is then not finite (audio samples cannot add up to an overflow;
// if they did, the block would only be run as if they had one).
template <typename T>
bool readIn(const T* in, int m, double* x)
{
    __m128d a = _mm_setzero_pd(), b = _mm_setzero_pd();
    int i = 0;
    for (; i + 4 <= m; i += 4) {
        __m128d u, v;
        loadFour(in + i, u, v);
        _mm_storeu_pd(x + i, u);
        _mm_storeu_pd(x + i + 2, v);
        a = _mm_add_pd(a, u);
        b = _mm_add_pd(b, v);
    }
    double rest = 0.0;
    for (; i < m; ++i)
        rest += x[i] = static_cast<double>(in[i]);
    alignas(16) double lanes[2];
    _mm_store_pd(lanes, _mm_add_pd(a, b));
    return std::isfinite(lanes[0] + lanes[1] + rest);
}

}  // namespace

template <typename T>
void EqEngine::processStereo(const T* inL, const T* inR, T* outL, T* outR, int frames)
{
    processLoop<false>(inL, inR, outL, outR, frames);
}

template <typename T>
void EqEngine::processMono(const T* in, T* outL, T* outR, int frames)
{
    processLoop<true>(in, in, outL, outR, frames);
}

template <bool Mono, typename T>
void EqEngine::processLoop(const T* inL, const T* inR, T* outL, T* outR, int frames)
{
    // Nothing to read or nowhere to write: no audio passes.
    if (frames < 1 || !inL || !outL) {
        outputPeak.store(0.0, rel);
        return;
    }
    if (!inR)
        inR = inL;

    double peak[2] = {0.0, 0.0};
    for (int done = 0, m = 0; done < frames; done += m) {
        m = startSubBlock(frames - done);
        bool finite = readIn(inL + done, m, work[0]);
        if (!Mono)
            finite = readIn(inR + done, m, work[1]) && finite;
        // The upsampler keeps a NaN or infinity for as long as its history
        // lasts.
        if (!finite)
            nonFiniteUntil = samplesIn + m + Upsampler::kHistory + 1;
        processSubBlock<Mono>(m, samplesIn < nonFiniteUntil);
        samplesIn += m;

        // A single output carries the left channel.
        if (Mono) {
            if (outR)
                writeOut(work[0], m, outR + done);
            writeOut(work[0], m, outL + done);
        } else {
            if (outR)
                writeOut(work[1], m, outR + done);
            writeOut(work[0], m, outL + done);
        }
        peak[0] = peakOf(work[0], m, peak[0]);
        if (!Mono)
            peak[1] = peakOf(work[1], m, peak[1]);
    }
    const double left = peak[0] < kPeakLimit ? peak[0] : kPeakLimit;
    const double right = peak[1] < kPeakLimit ? peak[1] : kPeakLimit;
    outputPeak.store(left > right ? left : right, rel);
}

int EqEngine::startSubBlock(int left)
{
    if (pendingUpdates.load(rel) != 0)
        applyPendingUpdates();

    // The output gain moves towards its target once per host sample over
    // sub-blocks of 16; the value reached serves the whole sub-block. Once a
    // step no longer changes it, no further step will, so the rest are
    // skipped, and a gain that stands still from the first step stands for
    // any length: the sub-block then grows, which spreads its fixed costs
    // over more samples.
    const double target = params.outputGainTarget.load(rel);
    const int m = left < kSubBlock ? left : kSubBlock;
    for (int i = 0; i < m; ++i) {
        double next = outputGainCurrent + (target - outputGainCurrent) * kGainSmoothing;
        next = flushDenormal(next);
        if (next == outputGainCurrent)
            return i > 0 ? m : longSubBlock(left);
        outputGainCurrent = next;
    }
    return m;
}

// A long sub-block gives the numbers of sub-blocks of 16 as long as no
// filter that glides to off ends its glide inside it before its last 16
// samples: sub-blocks of 16 bypass such a filter (and clear its history)
// from the next one on, a long one would run it on to its end. So it ends,
// at the latest, with the sub-block of 16 in which the first such glide
// ends. Where that is, is looked up again only after the filters changed
// or once it has passed (a filter of a channel left out does not move on,
// which only ends long sub-blocks early).
int EqEngine::longSubBlock(int left)
{
    const std::uint64_t perHostSample = oversampling ? 2 : 1;
    const std::uint64_t now = samplesIn * perHostSample;
    if (!offGlideKnown || now >= offGlideEnd) {
        std::uint64_t first = kNoOffGlide;
        for (const EqChannel& ch : channels)
            for (int k = 0; k < EqChannel::kFilterCount; ++k) {
                const Filter& f = *ch.all(k);
                const std::uint64_t glide = f.rampRemaining();
                if (f.getStatus() == 0 && glide > 0 && glide < first)
                    first = glide;
            }
        offGlideEnd = first == kNoOffGlide ? kNoOffGlide : now + first;
        offGlideKnown = true;
    }
    int length = left < kLongSubBlock ? left : kLongSubBlock;
    if (offGlideEnd != kNoOffGlide) {
        const std::uint64_t hostSamples = (offGlideEnd - now + perHostSample - 1) / perHostSample;
        const std::uint64_t through = (hostSamples + kSubBlock - 1) / kSubBlock * kSubBlock;
        if (through < static_cast<std::uint64_t>(length))
            length = static_cast<int>(through);
    }
    return length;
}

// Equaliser (the bands of the channels it is switched on for), output gain
// on both channels whatever the switches say, low cut; over samples from ..
// from + n - 1 of work[] at the internal rate. Both channels go through the
// stereo chain together when they can (the same bands on, no filter
// bypassed on one side only), otherwise each on its own as both sides of
// it; the filters one by one only where the chain refuses a block.
template <bool Mono>
void EqEngine::runFilters(int from, int n)
{
    constexpr int C = Mono ? 1 : 2;
    const bool eqAll = params.eqAllOn.load(rel) != 0;
    const bool bands[2] = {eqAll && params.processLeft.load(rel) != 0,
                           eqAll && !Mono && params.processRight.load(rel) != 0};
    const double gain = outputGainCurrent;
    double* x[2] = {work[0] + from, work[1] + from};
    if (!Mono && bands[0] == bands[1] &&
        stereoChain.process(channels[0], channels[1], x[0], x[1], n, bands[0], gain))
        return;
    for (int c = 0; c < C; ++c) {
        if (stereoChain.process(channels[c], channels[c], x[c], x[c], n, bands[c], gain))
            continue;
        if (bands[c])
            channels[c].processBands(x[c], n);
        for (int i = 0; i < n; ++i)
            x[c][i] *= gain;
        channels[c].lowCut.processFrame(x[c], n);
    }
}

template <bool Mono>
void EqEngine::processSubBlock(int m, bool nonFinite)
{
    constexpr int C = Mono ? 1 : 2;
    static_assert(kLongSubBlock % Upsampler::kMaxBlock == 0 && kLongSubBlock % Saturator::kMaxBlock == 0,
                  "the stages take a long sub-block in whole pieces");
    static_assert(2 * kLongSubBlock <= StereoChain::kMaxSamples, "the chain takes a long sub-block at once");
    // The upsampler and the saturation stage take at most their own block
    // at a time (the same numbers as one call); the chain runs the whole
    // sub-block at once, which spreads its set-up over more samples. When
    // the upsampler takes several pieces, the input first moves up behind
    // where its output goes, so that no piece overwrites input still to come.
    const int n = oversampling ? 2 * m : m;
    for (int c = 0; c < C; ++c) {
        double* in = work[c];
        if (oversampling && m > Upsampler::kMaxBlock) {
            in = work[c] + m;
            std::memmove(in, work[c], sizeof(double) * m);
        }
        for (int from = 0; from < m; from += Upsampler::kMaxBlock) {
            const int k = std::min(m - from, Upsampler::kMaxBlock);
            if (oversampling)
                upsamplers[c].upsample(in + from, k, work[c] + 2 * from);
            else
                upsamplers[c].delay(in + from, k, work[c] + from);
        }
    }

    // A filter fed a NaN or infinity clears its history at the end of the
    // block it runs: in a long sub-block that may hold one, the filters run
    // in the pieces sub-blocks of 16 would have given them.
    const int piece = nonFinite && m > kSubBlock ? n / m * kSubBlock : n;
    for (int from = 0; from < n; from += piece)
        runFilters<Mono>(from, std::min(n - from, piece));
    if (oversampling)
        for (int c = 0; c < C; ++c)
            decimate(work[c], m, work[c]);

    const bool satOn = params.satOn.load(rel) != 0;
    for (int from = 0; from < m; from += Saturator::kMaxBlock) {
        const int k = std::min(m - from, Saturator::kMaxBlock);
        if (Mono)
            sat.processMono(work[0] + from, k, satOn);
        else
            sat.processStereo(work[0] + from, work[1] + from, k, satOn);
    }
}

template void EqEngine::processStereo<float>(const float*, const float*, float*, float*, int);
template void EqEngine::processStereo<double>(const double*, const double*, double*, double*, int);
template void EqEngine::processMono<float>(const float*, float*, float*, int);
template void EqEngine::processMono<double>(const double*, double*, double*, int);
