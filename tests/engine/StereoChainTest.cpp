// The packed, interleaved chain against the plain one: every filter over the
// whole buffer in turn, channel by channel. Outputs must agree bit for bit at
// every vector width over every length, glides that end mid-block or run on
// one side only, switching and bypass, and the filters must be left in the
// same state.
#include <cmath>
#include <cstring>
#include <random>
#include <vector>

#include <gtest/gtest.h>

#include "engine/StereoChain.h"
#include "tests/engine/Widths.h"

namespace {

void plain(EqChannel& ch, double* x, int n, bool bands, double gain)
{
    if (bands)
        ch.processBands(x, n);
    for (int i = 0; i < n; ++i)
        x[i] *= gain;
    ch.lowCut.processFrame(x, n);
}

// Applies the same random change to the same filter of every channel given;
// to one channel only a change that cannot leave one side bypassed: of a
// running filter, not of its status or glide.
void randomChange(std::mt19937& rng, std::vector<EqChannel*> channels)
{
    std::uniform_int_distribution<int> which(0, EqChannel::kFilterCount - 1), what(0, 5);
    std::uniform_real_distribution<double> u(0.0, 1.0);
    const int f = which(rng), kind = channels.size() == 1 ? what(rng) % 4 + 1 : what(rng);
    const double v = u(rng);
    const int types[] = {Filter::kHighPass, Filter::kLowShelf, Filter::kPeaking, Filter::kHighShelf};
    if (channels.size() == 1 && channels[0]->all(f)->getStatus() == 0)
        return;
    for (EqChannel* ch : channels) {
        Filter& filter = *ch->all(f);
        switch (kind) {
        case 0: filter.setStatus(v < 0.3 ? 0 : 1); break;
        case 1: filter.setGain(v * 30.0 - 15.0); break;
        case 2: filter.setFreq(20.0 * std::pow(1000.0, v)); break;
        case 3: filter.setQ(0.2 + 3.0 * v); break;
        case 4: filter.setType(types[static_cast<int>(v * 3.99)]); break;
        case 5: filter.finishGlide(v < 0.5); break;
        }
    }
}

// Both channels with every filter on, settled, then gliding on changes.
struct Pair {
    EqChannel left, right;
    StereoChain chain;
    std::vector<EqChannel*> both() { return {&left, &right}; }
    std::vector<EqChannel*> sides(int which) { return which == 0 ? both() : which == 1 ? std::vector{&left} : std::vector{&right}; }
    explicit Pair(double rate)
    {
        for (EqChannel* ch : both())
            for (int i = 0; i < EqChannel::kFilterCount; ++i) {
                Filter& f = *ch->all(i);
                f.setSampleRate(rate);
                f.setType(i == 0 ? Filter::kHighPass : Filter::kPeaking);
                f.setFreq(100.0 * (i + 1));
                f.setQ(0.7);
                f.setGain(i % 2 ? 4.0 : -3.0);
                f.setStatus(1);
                f.finishGlide(false);
            }
    }
};

// One block through the packed chain and the plain one: the same output and
// the same filter states after.
void runBoth(Pair& packed, Pair& plainPair, std::vector<double> l, std::vector<double> r, bool bands, double gain)
{
    const int n = static_cast<int>(l.size());
    std::vector<double> ql = l, qr = r;
    ASSERT_TRUE(packed.chain.process(packed.left, packed.right, l.data(), r.data(), n, bands, gain));
    plain(plainPair.left, ql.data(), n, bands, gain);
    plain(plainPair.right, qr.data(), n, bands, gain);
    // Bit for bit, NaN included.
    auto same = [n](const std::vector<double>& a, const std::vector<double>& b) {
        return n == 0 || std::memcmp(a.data(), b.data(), n * sizeof(double)) == 0;
    };
    ASSERT_TRUE(same(l, ql));
    ASSERT_TRUE(same(r, qr));
    for (int f = 0; f < EqChannel::kFilterCount; ++f) {
        ASSERT_EQ(packed.left.all(f)->rampRemaining(), plainPair.left.all(f)->rampRemaining());
        Filter::Coefficients a = packed.right.all(f)->getActive(), b = plainPair.right.all(f)->getActive();
        ASSERT_TRUE(a.b0 == b.b0 && a.a2 == b.a2);
    }
}

}  // namespace

TEST(StereoChain, EqualsThePlainChainBitForBit)
{
    atEveryWidth([](SimdWidth) {
        std::mt19937 rng(2024);
        std::normal_distribution<double> noise(0.0, 0.3);
        std::uniform_int_distribution<int> length(0, 64), longer(65, StereoChain::kMaxSamples), side(0, 5);
        Pair packed(88200.0), reference(88200.0);
        for (int block = 0; block < 6000; ++block) {
            // Bursts of changes, mostly to both sides, then long quiet
            // stretches in which every glide ends and the chain runs steady;
            // silent stretches let the history decay to the smallest values.
            const bool changing = (block / 500) % 2 == 0, silent = (block / 250) % 4 == 3;
            if (changing && block % 7 == 0) {
                const int which = side(rng) < 4 ? 0 : side(rng) % 2 + 1;
                std::mt19937 fork = rng;  // the same change on both pairs
                randomChange(rng, packed.sides(which));
                randomChange(fork, reference.sides(which));
            }
            const int n = block % 9 == 0 ? longer(rng) : length(rng);
            std::vector<double> l(n), r(n);
            for (int i = 0; i < n; ++i) {
                l[i] = silent ? 0.0 : noise(rng);
                r[i] = silent ? 0.0 : noise(rng);
            }
            ASSERT_NO_FATAL_FAILURE(runBoth(packed, reference, l, r, block % 11 != 0, 1.0 + 0.01 * (block % 5)))
                << "block " << block;
        }
    });
}

TEST(StereoChain, SidesGlidingApartOrAlikeAgree)
{
    // Left and right with different responses, every filter gliding at once,
    // then one alone; then both sides alike, every filter gliding from the
    // same place to the same place (the coefficients shared by both lanes);
    // a steady tone, then silence long enough for the history to decay to
    // where the flush of tiny values decides the output.
    atEveryWidth([](SimdWidth) {
        Pair packed(96000.0), reference(96000.0);
        for (Pair* p : {&packed, &reference})
            for (EqChannel* ch : p->both())
                for (int f = 0; f < EqChannel::kFilterCount; ++f)
                    ch->all(f)->setGain(ch == &p->left ? 5.0 - f : f - 5.0);
        std::vector<double> l(32), r(32);
        for (int block = 0; block < 4000; ++block) {
            if (block == 100)
                for (Pair* p : {&packed, &reference}) {
                    p->right.hfMain.setGain(-9.0);
                    p->left.hfMain.setGain(6.0);
                }
            if (block == 300 || block == 340)
                for (Pair* p : {&packed, &reference})
                    for (EqChannel* ch : p->both())
                        for (int f = 0; f < EqChannel::kFilterCount; ++f) {
                            ch->all(f)->setGain(block == 300 ? f - 4.0 : 3.0 - f);
                            if (block == 300)
                                ch->all(f)->finishGlide(false);
                        }
            for (int i = 0; i < 32; ++i) {
                l[i] = block < 600 ? std::sin(0.1 * (block * 32 + i)) : 0.0;
                r[i] = block < 600 ? std::cos(0.07 * (block * 32 + i)) : 0.0;
            }
            ASSERT_NO_FATAL_FAILURE(runBoth(packed, reference, l, r, true, 0.9)) << block;
        }
    });
}

TEST(StereoChain, RefusesFiltersBypassedOnOneSideAndTouchesNothing)
{
    Pair p(88200.0);
    p.left.lmfComp.setStatus(0);
    p.left.lmfComp.finishGlide(true);  // bypassed on the left only
    std::vector<double> l(16, 0.5), r(16, 0.25);
    EXPECT_FALSE(p.chain.process(p.left, p.right, l.data(), r.data(), 16, true, 1.0));
    EXPECT_EQ(l, std::vector<double>(16, 0.5));
    EXPECT_EQ(p.right.lmfComp.state().history.x1, 0.0);
    // Without the bands the low cut alone decides, and it is in step.
    EXPECT_TRUE(p.chain.process(p.left, p.right, l.data(), r.data(), 16, false, 1.0));
    EXPECT_FALSE(p.chain.process(p.left, p.right, l.data(), r.data(), StereoChain::kMaxSamples + 1, true, 1.0));
}

TEST(StereoChain, EveryCountOfRunningFiltersGlidingTogether)
{
    // Each number of running filters packs its registers differently (a
    // last filter alone after full registers for some counts): every count,
    // every running filter gliding at once, both sides alike and apart,
    // over block lengths that end glides mid-block, then steady.
    atEveryWidth([](SimdWidth) {
        const int lengths[] = {1, 7, 64, 33, 200, 512, 3, 128};
        for (int running = 1; running <= EqChannel::kFilterCount; ++running)
            for (bool alike : {true, false}) {
                SCOPED_TRACE(testing::Message() << running << " running, " << (alike ? "alike" : "apart"));
                Pair packed(96000.0), reference(96000.0);
                for (Pair* p : {&packed, &reference})
                    for (EqChannel* ch : p->both())
                        for (int f = 0; f < EqChannel::kFilterCount; ++f) {
                            Filter& filter = *ch->all(f);
                            if (f >= running) {
                                filter.setStatus(0);
                                filter.finishGlide(true);
                            } else {
                                filter.setGain(alike || ch == &p->left ? 6.0 - f : f - 7.0);
                            }
                        }
                for (int block = 0; block < 40; ++block) {
                    const int n = lengths[block % 8];
                    std::vector<double> l(n), r(n);
                    for (int i = 0; i < n; ++i) {
                        l[i] = std::sin(0.05 * (block * 512 + i));
                        r[i] = std::cos(0.03 * (block * 512 + i));
                    }
                    ASSERT_NO_FATAL_FAILURE(runBoth(packed, reference, l, r, running > 1, 0.8)) << block;
                }
            }
    });
}

TEST(StereoChain, KeepsItsBlockOnlyWhileItHolds)
{
    // The chain keeps its block from one call to the next. A NaN reaching
    // the filters (their history is cleared after the block), the vector
    // width changing between calls, one channel run on its own, a reset and
    // a cleared history all make the kept block stale; the output must stay
    // the plain one.
    Pair packed(96000.0), reference(96000.0);
    const SimdWidth saved = simdWidth();
    const SimdWidth widths[] = {SimdWidth::Sse2, SimdWidth::Avx2, SimdWidth::Avx512};
    // Blocks of 256 let each 50 ms glide end well before the next event.
    constexpr int n = 256;
    std::vector<double> l(n), r(n);
    for (int block = 0; block < 160; ++block) {
        if (block % 10 == 0)
            setSimdWidth(widths[block / 10 % 3]);  // stays where one is missing
        for (Pair* p : {&packed, &reference})
            for (EqChannel* ch : p->both())
                switch (block % 40) {
                case 5: ch->hmfMain.setGain(block % 80 < 40 ? 8.0 : -4.0); break;
                case 33: ch->lmfMain.clearHistory(); break;
                case 37:
                    for (int f = 0; f < EqChannel::kFilterCount; ++f)
                        ch->all(f)->reset();
                    break;
                }
        for (int i = 0; i < n; ++i) {
            l[i] = std::sin(0.1 * (block * n + i));
            r[i] = std::cos(0.07 * (block * n + i));
        }
        if (block % 30 == 13)
            l[block % n] = block % 60 < 30 ? NAN : INFINITY;
        if (block % 30 == 17)
            for (Pair* p : {&packed, &reference}) {
                std::vector<double> alone(r);
                plain(p->right, alone.data(), n, true, 0.7);
            }
        ASSERT_NO_FATAL_FAILURE(runBoth(packed, reference, l, r, true, 0.7)) << block;
    }
    setSimdWidth(saved);
}

TEST(StereoChain, OneChannelRunsAsBothSides)
{
    // Mono: one channel given as both sides, on one buffer, against its
    // filters run one by one; random changes, lengths, bypass, a NaN.
    atEveryWidth([](SimdWidth) {
        std::mt19937 rng(7);
        std::normal_distribution<double> noise(0.0, 0.3);
        std::uniform_int_distribution<int> length(0, StereoChain::kMaxSamples);
        Pair packed(88200.0), reference(88200.0);
        for (int block = 0; block < 1500; ++block) {
            if (block % 5 == 0) {
                std::mt19937 fork = rng;
                randomChange(rng, {&packed.left, &packed.right});
                randomChange(fork, {&reference.left, &reference.right});
            }
            const int n = block % 3 ? length(rng) % 65 : length(rng);
            std::vector<double> x(n);
            for (double& v : x)
                v = noise(rng);
            if (block % 97 == 50 && n > 0)
                x[n / 2] = NAN;
            std::vector<double> y = x;
            const bool bands = block % 13 != 0;
            const double gain = 1.0 + 0.01 * (block % 5);
            ASSERT_TRUE(packed.chain.process(packed.left, packed.left, x.data(), x.data(), n, bands, gain));
            plain(reference.left, y.data(), n, bands, gain);
            ASSERT_TRUE(n == 0 || std::memcmp(x.data(), y.data(), n * sizeof(double)) == 0) << block;
            for (int f = 0; f < EqChannel::kFilterCount; ++f) {
                const Filter& a = *packed.left.all(f);
                const Filter& b = *reference.left.all(f);
                ASSERT_EQ(a.rampRemaining(), b.rampRemaining()) << block;
                ASSERT_EQ(std::memcmp(&a.state(), &b.state(), sizeof(Filter::State)), 0) << block << " filter " << f;
            }
        }
    });
}
