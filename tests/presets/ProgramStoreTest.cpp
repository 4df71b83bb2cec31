// The program store under the equaliser: the factory bank, selecting,
// storing, renaming and the state chunk between instances.
#include <cstring>
#include <limits>
#include <numeric>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "plugin/Sylvatone.h"

namespace {

// Records every setParameter that reaches the effect.
class RecordingSylvatone : public Sylvatone {
public:
    RecordingSylvatone() : Sylvatone(nullptr) {}
    void setParameter(int32_t index, float value) override
    {
        seen.push_back(index);
        Sylvatone::setParameter(index, value);
    }
    ProgramRecord& raw(int i) { return programs[static_cast<size_t>(i)]; }
    const ProgramRecord& templ() const { return templateProgram; }
    std::vector<int> seen;
};

std::string nameOf(const ProgramRecord& r)
{
    return std::string(r.name, strnlen(r.name, sizeof r.name));
}

bool same(const ProgramRecord& a, const ProgramRecord& b)
{
    return memcmp(&a, &b, sizeof a) == 0;
}

}  // namespace

TEST(ProgramStore, FactoryBankAndSelection)
{
    RecordingSylvatone fx;
    const char* names[] = {"Default", "C-bass Pick-up", "Piano", "Mild", "Round", "Finish"};
    std::vector<ProgramRecord> before;
    for (int p = 0; p < kNumPrograms; ++p) {
        EXPECT_EQ(nameOf(fx.program(p)), names[p]);
        before.push_back(fx.program(p));
    }
    EXPECT_EQ(fx.getPresetNo(), 0);
    EXPECT_TRUE(same(fx.templ(), fx.program(0)));
    for (int i = 0; i < kNumParams; ++i)
        EXPECT_EQ(fx.getParameter(i), fx.program(0).params[i]) << i;

    // Selecting pushes every value in order and stores none back; numbers
    // outside the six programs are ignored.
    fx.seen.clear();
    fx.setPresetNo(2);
    for (long n : {6L, 7L, -1L, 1L << 40})
        fx.setPresetNo(n);
    std::vector<int> all(kNumParams);
    std::iota(all.begin(), all.end(), 0);
    EXPECT_EQ(fx.seen, all);
    EXPECT_EQ(fx.getPresetNo(), 2);
    EXPECT_FALSE(fx.isLoadingPreset());
    for (int p = 0; p < kNumPrograms; ++p)
        EXPECT_TRUE(same(before[size_t(p)], fx.program(p))) << p;
}

TEST(ProgramStore, ChangesStoreIntoTheSelectedProgramOnly)
{
    RecordingSylvatone fx;
    fx.setPresetNo(3);
    fx.setParameter(kParamHfGain, 0.9f);
    EXPECT_EQ(fx.program(3).params[kParamHfGain], 0.9f);
    EXPECT_EQ(fx.program(2).params[kParamHfGain], 0.5333f);

    // The master switch and channel selection go into all six programs.
    fx.setParameter(kParamEqAll, 0.0f);
    fx.setParameter(kParamLsr, 0.9f);
    for (int p = 0; p < kNumPrograms; ++p) {
        EXPECT_EQ(fx.program(p).params[kParamEqAll], 0.0f) << p;
        EXPECT_EQ(fx.program(p).params[kParamLsr], 0.9f) << p;
    }
    fx.setPresetNo(1);
    EXPECT_EQ(fx.getParameterValue(kParamEqAll), 0.0f);

    // Out-of-range indexes, non-finite values and controller events store nothing.
    const ProgramRecord before = fx.program(1);
    fx.setParameter(42, 0.7f);
    fx.setParameter(-5, 0.7f);
    fx.setParameter(kParamLfGain, std::numeric_limits<float>::quiet_NaN());
    fx.setParameter(kParamLsr, std::numeric_limits<float>::infinity());
    VstMidiEvent cc{kVstMidiType, sizeof(VstMidiEvent), 0, 0, 0, 0, {char(0xB0), 7, 100, 0}, 0, 0, 0, 0};
    VstEvents events{1, 0, {reinterpret_cast<VstEvent*>(&cc), nullptr}};
    EXPECT_EQ(fx.getAeffect()->dispatcher(fx.getAeffect(), effProcessEvents, 0, 0, &events, 0.0f), 0);
    EXPECT_TRUE(same(before, fx.program(1)));
    EXPECT_EQ(fx.getParameter(kParamLfGain), before.params[kParamLfGain]);
}

TEST(ProgramStore, RenamingAndTheTemplate)
{
    RecordingSylvatone fx;
    fx.setPresetNo(2);
    char longName[] = "A thirty character long name!!";
    fx.setProgramName(longName);
    EXPECT_EQ(nameOf(fx.program(2)), std::string(longName, 23));
    fx.setPresetName("Upright");
    fx.setPresetName(nullptr);
    EXPECT_EQ(nameOf(fx.program(2)), "Upright");

    // A name filling all 24 bytes (as stored data may) still reads back terminated.
    memset(fx.raw(2).name, 'N', sizeof fx.raw(2).name);
    char text[40];
    memset(text, 'x', sizeof text);
    fx.getProgramName(text);
    EXPECT_EQ(std::string(text), std::string(24, 'N'));
    memset(text, 'x', sizeof text);
    EXPECT_TRUE(fx.getProgramNameIndexed(0, 2, text));
    EXPECT_EQ(std::string(text), std::string(24, 'N'));
    strcpy(text, "untouched");
    EXPECT_FALSE(fx.getProgramNameIndexed(0, 6, text));
    EXPECT_FALSE(fx.getProgramNameIndexed(0, -1, text));
    EXPECT_STREQ(text, "untouched");

    // Initialising copies the template; numbers outside the six change nothing.
    const ProgramRecord five = fx.program(5);
    for (long n : {4L, 6L, -1L})
        fx.initializePreset(n);
    EXPECT_TRUE(same(fx.program(4), fx.templ()));
    EXPECT_TRUE(same(five, fx.program(5)));
}

