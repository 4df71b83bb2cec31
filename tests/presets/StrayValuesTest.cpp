// Values a host sends outside 0..1: clamped where they enter, so a session
// with stray automation saves data that loads back whole, and data that an
// earlier build saved with such values still loads.
#include <limits>

#include "plugin/Sylvatone.h"
#include "presets/PresetFiles.h"
#include "presets/StateChunk.h"
#include "tests/presets/FakeStore.h"

namespace {

const float kStray[] = {1.0000001f, 2.0f, -0.001f, 1e38f, -1e38f, 50.0f};

PresetStore& storeOf(Sylvatone& fx)
{
    return fx.presetStore();
}

// A renamed program 3 automated with one stray value on several kinds of
// parameter (a gain, the channel selector, the low cut, the output).
void strayAutomation(Sylvatone& fx, float stray)
{
    fx.setPresetNo(3);
    fx.setPresetName("Stray automation");
    for (int index : {kParamLfGain, kParamLsr, kParamHpfFreq, kParamOutput, kParamSat})
        fx.setParameter(index, stray);
}

void expectSamePrograms(Sylvatone& a, Sylvatone& b, const std::string& how)
{
    for (int p = 0; p < kNumPrograms; ++p)
        EXPECT_EQ(memcmp(&a.program(p), &b.program(p), sizeof(ProgramRecord)), 0) << how << ", program " << p;
}

struct StrayValues : TempHome {};

}  // namespace

TEST_F(StrayValues, ASessionWithStrayAutomationReloadsWhole)
{
    for (float stray : kStray) {
        SCOPED_TRACE(stray);
        Sylvatone a(nullptr);
        strayAutomation(a, stray);

        // The host's state chunk, in this machine's byte order and the other.
        void* data = nullptr;
        const int32_t size = a.getChunk(&data, false);
        ASSERT_GT(size, 0);
        const Bytes chunk(static_cast<char*>(data), static_cast<char*>(data) + size);
        for (const Bytes& c : {chunk, reversedTwin(chunk, 8)}) {
            Sylvatone b(nullptr);
            ASSERT_EQ(b.setChunk(const_cast<char*>(c.data()), int32_t(c.size()), false), 0);
            EXPECT_EQ(b.getPresetNo(), 3);
            expectSamePrograms(a, b, "chunk");
        }

        // Bank and program files.
        ASSERT_TRUE(saveBankFile(storeOf(a), dir / "bank.zyb"));
        ASSERT_TRUE(savePresetFile(storeOf(a), dir / "one.zym"));
        Sylvatone c(nullptr);
        ASSERT_TRUE(loadBankFile(storeOf(c), dir / "bank.zyb", false));
        expectSamePrograms(a, c, "bank file");
        Sylvatone d(nullptr);
        d.setPresetNo(3);
        ASSERT_TRUE(loadPresetFile(storeOf(d), dir / "one.zym", false));
        EXPECT_EQ(memcmp(&a.program(3), &d.program(3), sizeof(ProgramRecord)), 0) << "program file";

        // The user's default bank, which every new instance starts from.
        Preferences prefs;
        ASSERT_TRUE(saveDefaultBank(storeOf(a), prefs));
        Sylvatone e(nullptr);
        expectSamePrograms(a, e, "default bank");
        ASSERT_TRUE(resetDefaultBank(prefs));
    }
}

TEST_F(StrayValues, DataFromEarlierBuildsLoadsClampedButNonFiniteValuesAreRefused)
{
    const float nan = std::numeric_limits<float>::quiet_NaN(), inf = std::numeric_limits<float>::infinity();
    const struct {
        float saved;
        bool taken;
        float loaded;
    } cases[] = {{1.0000001f, true, 1.0f}, {-0.001f, true, 0.0f}, {2.0f, true, 1.0f},
                 {1e38f, true, 1.0f},      {nan, false, 0},       {inf, false, 0},
                 {-inf, false, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.saved);
        FakeStore earlier(0.0f, 2);
        earlier.progs[4].params[kParamHfGain] = c.saved;
        Bytes chunk(9121);
        void* data = nullptr;
        chunk.resize(size_t(writeStateChunk(earlier, reinterpret_cast<unsigned char*>(chunk.data()), 9121, &data)));

        // Current layout in both byte orders, and the old flat chunk.
        Bytes old(32, 0);
        const int32_t words[] = {kChunkVersionOld, earlier.uniqueID(), kNumPrograms, 2};
        memcpy(old.data(), words, sizeof words);
        const Bytes records = oldRecords(earlier, kNumPrograms, kNumProgramParams, false);
        old.insert(old.end(), records.begin(), records.end());

        for (const Bytes& bytes : {chunk, reversedTwin(chunk, 8), old}) {
            FakeStore loaded(0.5f);
            const FakeStore before = loaded;
            unsigned char scratch[kOldChunkCopySize];
            const int32_t result = readStateChunk(loaded, bytes.data(), int32_t(bytes.size()), scratch);
            EXPECT_EQ(result, c.taken ? 0 : -1);
            if (c.taken)
                EXPECT_EQ(loaded.progs[4].params[kParamHfGain], c.loaded);
            else
                EXPECT_TRUE(loaded == before);
            EXPECT_TRUE(loaded.allValid());
        }
    }
}
