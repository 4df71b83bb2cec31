// The program store under the equaliser: the factory bank, selecting,
// storing, renaming and the values that hold across programs.
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "engine/Sylvatone.h"
#include "editor/ADEditor.h"

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

class NameSpy : public ADEditor {
public:
    explicit NameSpy(Sylvatone* fx) : ADEditor(fx) {}
    void nameChangedExternal(char* name) override { shown = name; }
    std::string shown = "(none)";
};

std::string nameOf(const ProgramRecord& r)
{
    return std::string(r.name, strnlen(r.name, sizeof r.name));
}

}  // namespace

TEST(ProgramStore, FactoryBankIsInPlaceAndProgramZeroApplied)
{
    RecordingSylvatone fx;
    const char* names[] = {"Default", "C-bass Pick-up", "Piano", "Mild", "Round", "Finish"};
    for (int p = 0; p < kNumPrograms; ++p) {
        EXPECT_EQ(nameOf(fx.program(p)), names[p]);
        for (int i : {2, 3, 4, 5, 8, 10, 11, 28, 33, 37, 39})
            EXPECT_EQ(fx.program(p).params[i], 0.5f) << p << ' ' << i;
        EXPECT_EQ(fx.program(p).params[40], 0.0f);
        EXPECT_EQ(fx.program(p).params[41], 0.0f);
    }
    const ProgramRecord& bass = fx.program(1);
    EXPECT_EQ(bass.params[kParamHpfFreq], 0.1f);
    EXPECT_EQ(bass.params[kParamLfFreq], 0.25f);
    EXPECT_EQ(bass.params[kParamLfGain], 0.6333f);
    EXPECT_EQ(bass.params[kParamLmfFreq], 0.33333334f);
    EXPECT_EQ(fx.program(5).params[kParamLmfFreq], 1.0f);
    EXPECT_EQ(fx.program(3).params[kParamLf], 0.0f);

    EXPECT_EQ(fx.getPresetNo(), 0);
    for (int i = 0; i < kNumParams; ++i)
        EXPECT_EQ(fx.getParameter(i), fx.program(0).params[i]) << i;
    EXPECT_EQ(memcmp(&fx.templ(), &fx.program(0), sizeof(ProgramRecord)), 0);
}

TEST(ProgramStore, SelectingPushesEveryValueInOrderWithoutStoringBack)
{
    RecordingSylvatone fx;
    fx.seen.clear();
    fx.setPresetNo(2);
    std::vector<int> expected;
    for (int i = 0; i < kNumParams; ++i)
        expected.push_back(i);
    EXPECT_EQ(fx.seen, expected);
    EXPECT_FALSE(fx.isLoadingPreset());

    char display[32];
    fx.getParameterDisplay(kParamLfGain, display);
    EXPECT_STREQ(display, "2.00dB");
    fx.setPresetNo(1);
    fx.getParameterDisplay(kParamHmfGain, display);
    EXPECT_STREQ(display, "-2.00dB");

    // Selecting must not disturb program 2's stored values.
    ProgramRecord before = fx.program(2);
    fx.setPresetNo(2);
    EXPECT_EQ(memcmp(&before, &fx.program(2), sizeof before), 0);
}

TEST(ProgramStore, NumbersOutsideTheSixProgramsAreIgnored)
{
    RecordingSylvatone fx;
    fx.setPresetNo(4);
    fx.seen.clear();
    for (long n : {6L, 7L, -1L, 1L << 40})
        fx.setPresetNo(n);
    EXPECT_TRUE(fx.seen.empty());
    EXPECT_EQ(fx.getPresetNo(), 4);
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

    // Out-of-range indexes store nothing; non-finite values are ignored.
    ProgramRecord before = fx.program(1);
    fx.setParameter(42, 0.7f);
    fx.setParameter(-5, 0.7f);
    fx.setParameter(kParamLfGain, std::numeric_limits<float>::quiet_NaN());
    fx.setParameter(kParamLsr, std::numeric_limits<float>::infinity());
    EXPECT_EQ(memcmp(&before, &fx.program(1), sizeof before), 0);
    EXPECT_EQ(fx.getParameter(kParamLfGain), before.params[kParamLfGain]);
    EXPECT_EQ(fx.getParameter(42), 0.0f);
}

TEST(ProgramStore, RenamingFromHostAndEditor)
{
    RecordingSylvatone fx;
    delete fx.getEditor();
    auto* spy = new NameSpy(&fx);  // owned by the effect from here on
    fx.setPresetNo(2);

    char longName[] = "A thirty character long name!!";
    ASSERT_EQ(strlen(longName), 30u);
    fx.setProgramName(longName);
    EXPECT_EQ(nameOf(fx.program(2)), std::string(longName, 23));
    EXPECT_EQ(spy->shown, std::string(longName, 24));

    fx.setPresetName("Upright");
    EXPECT_EQ(nameOf(fx.program(2)), "Upright");
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
    EXPECT_TRUE(fx.getProgramNameIndexed(7, 5, text));
    EXPECT_STREQ(text, "Finish");
    strcpy(text, "untouched");
    EXPECT_FALSE(fx.getProgramNameIndexed(0, 6, text));
    EXPECT_FALSE(fx.getProgramNameIndexed(0, -1, text));
    EXPECT_STREQ(text, "untouched");
}

TEST(ProgramStore, InitializePresetCopiesTheTemplate)
{
    RecordingSylvatone fx;
    fx.initializePreset(4);
    EXPECT_EQ(memcmp(&fx.program(4), &fx.templ(), sizeof(ProgramRecord)), 0);
    ProgramRecord five = fx.program(5);
    fx.initializePreset(6);
    fx.initializePreset(-1);
    EXPECT_EQ(memcmp(&five, &fx.program(5), sizeof five), 0);
}

TEST(ProgramStore, StateChunkRestoresAnotherInstance)
{
    RecordingSylvatone a;
    a.setPresetNo(4);
    a.setParameter(kParamHmfGain, 0.9f);
    a.setPresetName("Upright live");
    void* data = nullptr;
    const int32_t size = a.getChunk(&data, true);
    ASSERT_EQ(size, 5089);
    void* again = nullptr;
    EXPECT_EQ(a.getChunk(&again, false), size);
    EXPECT_EQ(again, data);

    RecordingSylvatone b;
    ASSERT_EQ(b.setChunk(data, size, false), 0);
    EXPECT_EQ(b.getPresetNo(), 4);
    EXPECT_EQ(nameOf(b.program(4)), "Upright live");
    EXPECT_EQ(b.getParameter(kParamHmfGain), 0.9f);
    for (int p = 0; p < kNumPrograms; ++p)
        EXPECT_EQ(memcmp(&a.program(p), &b.program(p), sizeof(ProgramRecord)), 0) << p;

    // Refused data changes nothing.
    ProgramRecord before = b.program(2);
    std::vector<unsigned char> foreign(static_cast<unsigned char*>(data),
                                       static_cast<unsigned char*>(data) + size);
    foreign[4] ^= 0xff;  // another plug-in's ID
    EXPECT_EQ(b.setChunk(foreign.data(), size, false), -1);
    EXPECT_EQ(b.setChunk(nullptr, size, false), -1);
    EXPECT_EQ(b.setChunk(data, 7, false), -1);
    EXPECT_EQ(memcmp(&before, &b.program(2), sizeof before), 0);
}

TEST(ProgramStore, ControllerEventsAndMapsChangeNothing)
{
    RecordingSylvatone fx;
    VstMidiEvent cc{};
    cc.type = kVstMidiType;
    cc.byteSize = sizeof cc;
    cc.midiData[0] = static_cast<char>(0xB0);
    cc.midiData[1] = 7;
    cc.midiData[2] = 100;
    VstEvents events{};
    events.numEvents = 1;
    events.events[0] = reinterpret_cast<VstEvent*>(&cc);
    ProgramRecord before = fx.program(0);
    AEffect* record = fx.getAeffect();
    EXPECT_EQ(record->dispatcher(record, effProcessEvents, 0, 0, &events, 0.0f), 0);
    EXPECT_EQ(fx.getMidiCC(5), 0);
    EXPECT_EQ(fx.getMidiParam(3), 0);
    EXPECT_FALSE(fx.getMidiActivity());

    auto* editor = static_cast<CPresetSystemEditor*>(fx.getEditor());
    char* map = nullptr;
    const long size = editor->MidiToBuffer(&map);
    ASSERT_GT(size, 41);
    newpresetheader header;
    memcpy(&header, map, sizeof header);
    EXPECT_EQ(header.kind, kKindMidiMap);
    editor->BufferToMidi(map + sizeof header, size - static_cast<long>(sizeof header), &header, false);
    delete[] map;
    EXPECT_EQ(memcmp(&before, &fx.program(0), sizeof before), 0);
}
