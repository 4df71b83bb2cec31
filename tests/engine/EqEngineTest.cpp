// The signal path on its own, as any plug-in format drives it.
#include <algorithm>
#include <cstring>
#include <limits>
#include <random>

#include <gtest/gtest.h>

#include "engine/EqEngine.h"
#include "engine/FactoryPresets.h"
#include "tests/engine/Signals.h"
#include "tests/engine/Widths.h"

namespace {

// An engine at rate with a factory program's values, resumed.
void start(EqEngine& e, int program, double rate = 44100.0)
{
    for (int i = 0; i < kNumParams; ++i)
        e.setParameter(i, factoryPrograms()[program].params[i]);
    e.suspend();
    e.resume(rate);
}

// One stereo block of l and r through e whole and through plain in pieces
// of 16: the same output, bit for bit.
::testing::AssertionResult sameAsBlocksOf16(EqEngine& e, EqEngine& plain, const std::vector<double>& l,
                                            const std::vector<double>& r)
{
    const int m = static_cast<int>(l.size());
    std::vector<double> out[4];
    for (auto& o : out)
        o.resize(m);
    e.processStereo(l.data(), r.data(), out[0].data(), out[1].data(), m);
    for (int done = 0; done < m; done += 16) {
        const int k = std::min(16, m - done);
        plain.processStereo(l.data() + done, r.data() + done, out[2].data() + done, out[3].data() + done, k);
    }
    for (int c = 0; c < 2; ++c)
        if (std::memcmp(out[c].data(), out[c + 2].data(), m * sizeof(double)) != 0)
            return ::testing::AssertionFailure() << "channel " << c << " differs";
    return ::testing::AssertionSuccess();
}

// Noise in both channels, drawn left and right in turn.
void fillNoise(std::mt19937& rng, std::vector<double>& l, std::vector<double>& r)
{
    std::normal_distribution<double> noise(0.0, 0.3);
    for (size_t i = 0; i < l.size(); ++i) {
        l[i] = noise(rng);
        r[i] = noise(rng);
    }
}

}  // namespace

// NaN and infinity on the paths that run one channel at a time (mono, and
// stereo with only one channel equalised): every filter clears its history,
// so the output comes back.
TEST(EqEngine, FiltersRecoverFromNonFiniteInputOnEveryPath)
{
    auto x = sine(512, 200.0, 44100.0, 0.5);
    x[100] = std::numeric_limits<double>::quiet_NaN();
    x[300] = std::numeric_limits<double>::infinity();
    const auto clean = sine(22050, 200.0, 44100.0, 0.5);
    for (int path = 0; path < 2; ++path) {
        EqEngine e;
        start(e, 2);
        if (path == 1)
            e.setParameter(kParamLsr, 0.0f);  // left only: the channels run apart
        std::vector<double> out(x.size()), outR(x.size()), y(clean.size()), yR(clean.size());
        if (path == 0) {
            e.processMono(x.data(), out.data(), outR.data(), int(x.size()));
            e.processMono(clean.data(), y.data(), yR.data(), int(clean.size()));
        } else {
            e.processStereo(x.data(), x.data(), out.data(), outR.data(), int(x.size()));
            e.processStereo(clean.data(), clean.data(), y.data(), yR.data(), int(clean.size()));
        }
        for (size_t i = 8000; i < y.size(); ++i)  // also false for NaN
            ASSERT_TRUE(std::fabs(y[i]) < 2.0 && std::fabs(yR[i]) < 2.0) << "path " << path << " at " << i;
    }
}

// A band switched off glides to a wire; the sub-block after the one in which
// its glide ends bypasses it and clears its history. Switched back on just
// then, it starts from that cleared history whether the host's blocks are
// long (the sub-blocks grow) or not: the same output as blocks of 16, on
// sound and on a tail decaying to the flush.
TEST(EqEngine, ABandSwitchedOffAndBackOnGivesTheSameAtAnyBlockLength)
{
    for (double rate : {44100.0, 88200.0})
        for (bool silentTail : {false, true}) {
            EqEngine e, plain;
            start(e, 5, rate);
            start(plain, 5, rate);
            std::mt19937 rng(5);
            const int m = 250;
            bool off = false;
            int switches = 0;
            for (int block = 0; block < 120; ++block) {
                // Off every so often; on again at the first block after the
                // glide to off has ended.
                const bool bypassed = plain.channel(0).lfMain.isBypassed();
                if (off ? bypassed : block % 15 == 2) {
                    off = !off;
                    switches += off ? 0 : 1;
                    e.setParameter(kParamLf, off ? 0.0f : 1.0f);
                    plain.setParameter(kParamLf, off ? 0.0f : 1.0f);
                }
                std::vector<double> l(m), r(m);
                if (!silentTail || block % 30 < 10)
                    fillNoise(rng, l, r);
                ASSERT_TRUE(sameAsBlocksOf16(e, plain, l, r)) << rate << " block " << block;
            }
            EXPECT_GE(switches, 3) << rate;
        }
}

// A NaN or an infinity in the input: the filters it reaches clear their
// history at the end of the sub-block of 16 it falls in, whatever the
// host's block length; long blocks give the output of blocks of 16.
TEST(EqEngine, NonFiniteInputGivesTheSameAtAnyBlockLength)
{
    for (double rate : {44100.0, 96000.0}) {
        EqEngine e, plain;
        start(e, 5, rate);
        start(plain, 5, rate);
        std::mt19937 rng(9);
        const int m = 250;
        for (int block = 0; block < 12; ++block) {
            std::vector<double> l(m), r(m);
            fillNoise(rng, l, r);
            if (block == 3)
                l[77] = std::numeric_limits<double>::quiet_NaN();
            if (block == 7)
                r[200] = std::numeric_limits<double>::infinity();
            ASSERT_TRUE(sameAsBlocksOf16(e, plain, l, r)) << rate << " block " << block;
        }
    }
}

// Every vector width, fed host blocks of any length (so the sub-blocks grow
// while the output gain stands still), against the plain width fed the same
// samples in blocks of at most 16 frames: the same output, bit for bit,
// through random parameter changes between blocks (programs' values, the
// equaliser, bands and channel selection switched, saturation, the output
// gain moving), mono and stereo, and silence long enough for the filters'
// tails to reach the flush. The 32-bit entry, fed the same samples, gives
// those outputs rounded to float, and the output peak is the largest one.
TEST(EqEngine, EveryWidthAndBlockLengthGiveThePlainOutput)
{
    atEveryWidth([](SimdWidth width) {
        for (double rate : {44100.0, 96000.0}) {
            EqEngine e, plain, narrow;
            start(e, 5, rate);
            start(plain, 5, rate);
            start(narrow, 5, rate);
            std::mt19937 rng(11);
            std::uniform_int_distribution<int> param(0, kNumParams - 1), pick(0, 9), length(0, 600);
            std::uniform_real_distribution<float> value(0.0f, 1.0f);
            std::normal_distribution<double> noise(0.0, 0.3);
            for (int block = 0; block < 300; ++block) {
                for (int changes = pick(rng) < 3 ? pick(rng) : 0; changes > 0; --changes) {
                    const int index = param(rng);
                    const float v = value(rng);
                    e.setParameter(index, v);
                    plain.setParameter(index, v);
                    narrow.setParameter(index, v);
                }
                // One draw after another: the order of draws within one
                // expression would be the compiler's choice.
                int m = length(rng);
                if (pick(rng) < 3) {
                    const int eighths = pick(rng);
                    m = eighths * 8 + pick(rng) % 2;
                }
                const bool mono = block % 50 >= 40, silent = block % 100 >= 70;
                std::vector<double> l(m), r(m), out[4];
                std::vector<float> lf(m), rf(m), outf[2] = {std::vector<float>(m), std::vector<float>(m)};
                for (int i = 0; i < m; ++i) {
                    lf[i] = silent ? 0.0f : static_cast<float>(noise(rng));
                    rf[i] = silent ? 0.0f : static_cast<float>(noise(rng));
                    l[i] = lf[i];
                    r[i] = rf[i];
                }
                for (auto& o : out)
                    o.resize(m);
                setSimdWidth(width);
                mono ? e.processMono(l.data(), out[0].data(), out[1].data(), m)
                     : e.processStereo(l.data(), r.data(), out[0].data(), out[1].data(), m);
                mono ? narrow.processMono(lf.data(), outf[0].data(), outf[1].data(), m)
                     : narrow.processStereo(lf.data(), rf.data(), outf[0].data(), outf[1].data(), m);
                double peak = 0.0;
                for (int i = 0; i < m; ++i) {
                    peak = std::max({peak, std::fabs(out[0][i]), mono ? 0.0 : std::fabs(out[1][i])});
                    ASSERT_EQ(outf[0][i], static_cast<float>(out[0][i])) << rate << " block " << block;
                    ASSERT_EQ(outf[1][i], static_cast<float>(out[1][i])) << rate << " block " << block;
                }
                if (m > 0) {
                    ASSERT_EQ(e.getOutputPeak(), std::min(peak, 4.0)) << rate << " block " << block;
                }
                setSimdWidth(SimdWidth::Sse2);
                for (int done = 0; done < m; done += 16) {
                    const int k = m - done < 16 ? m - done : 16;
                    double* o[2] = {out[2].data() + done, out[3].data() + done};
                    mono ? plain.processMono(l.data() + done, o[0], o[1], k)
                         : plain.processStereo(l.data() + done, r.data() + done, o[0], o[1], k);
                }
                setSimdWidth(width);
                ASSERT_TRUE(m == 0 || !std::memcmp(out[0].data(), out[2].data(), m * sizeof(double)))
                    << rate << " block " << block;
                ASSERT_TRUE(m == 0 || !std::memcmp(out[1].data(), out[3].data(), m * sizeof(double)))
                    << rate << " block " << block;
            }
        }
    });
}
