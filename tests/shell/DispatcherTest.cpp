// The effect record and dispatcher as a host sees them, driven in-process
// with a host callback that records what the plug-in calls.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <set>
#include <tuple>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "plugin/Sylvatone.h"

namespace {

struct Call { int32_t opcode, index; };
std::vector<Call> gCalls;
intptr_t gPinAnswer = 0;

intptr_t recordingHost(AEffect*, int32_t opcode, int32_t index, intptr_t, void*, float)
{
    gCalls.push_back({opcode, index});
    if (opcode == audioMasterVersion)
        return 2400;
    if (opcode == audioMasterPinConnected)
        return gPinAnswer;
    return 0;
}

class Dispatcher : public ::testing::Test {
protected:
    void SetUp() override
    {
        gCalls.clear();
        gPinAnswer = 0;
        effect = createEffectInstance(recordingHost);
        ASSERT_NE(effect, nullptr);
        fx = effect->getAeffect();
    }
    void TearDown() override { EXPECT_TRUE(!fx || dispatch(effClose) == 1); }
    intptr_t dispatch(int32_t opcode, int32_t index = 0, intptr_t value = 0, void* ptr = nullptr,
                      float opt = 0.0f)
    {
        return fx->dispatcher(fx, opcode, index, value, ptr, opt);
    }
    // Fills a guarded buffer through an opcode; returns the text and checks
    // that nothing was written past room bytes and that it is terminated.
    std::string text(int32_t opcode, int32_t index, size_t room)
    {
        char buffer[300];
        memset(buffer, 0x7f, sizeof buffer);
        dispatch(opcode, index, 0, buffer);
        size_t len = strnlen(buffer, sizeof buffer);
        EXPECT_LT(len, room) << "opcode " << opcode << " index " << index;
        EXPECT_EQ(std::string(buffer + room, sizeof buffer - room),
                  std::string(sizeof buffer - room, 0x7f))
            << "opcode " << opcode << " index " << index << " wrote past " << room;
        return std::string(buffer, std::min(len, room));
    }

    AudioEffect* effect = nullptr;
    AEffect* fx = nullptr;
};

}  // namespace

TEST_F(Dispatcher, RecordAndIdentity)
{
    EXPECT_EQ(std::make_tuple(fx->magic, fx->numPrograms, fx->numParams, fx->numInputs,
                              fx->numOutputs, fx->flags, fx->uniqueID, fx->version, fx->initialDelay),
              std::make_tuple(kEffectMagic, 1, 42, 2, 2, 4145, 0x4B525441, 1, 46));
    EXPECT_EQ(fx->ioRatio, 1.0f);
    EXPECT_EQ(fx->object, effect);
    // Opcode, index and value, answer.
    const int32_t answers[][3] = {
        {effGetVendorVersion, 0, 1800}, {effGetVstVersion, 0, 2400}, {effGetPlugCategory, 0, 4},
        {effGetTailSize, 0, 1024}, {effIdentify, 0, 0x4E764566}, {effGetCurrentMidiProgram, 0, -1},
        {effSetTotalSampleToProcess, 512, 512}};
    for (const auto& [opcode, arg, answer] : answers)
        EXPECT_EQ(dispatch(opcode, arg, arg), answer) << "opcode " << opcode;
    // Each text opcode says it answered, and fills no more than the host's room.
    char answer[300];
    for (int32_t op : {effGetEffectName, effGetVendorString, effGetProductString, effGetProgramNameIndexed})
        EXPECT_EQ(dispatch(op, 0, 0, answer), 1) << "opcode " << op;
    EXPECT_EQ(text(effGetEffectName, 0, 32), "ZYM sylvatone");
    EXPECT_EQ(text(effGetProductString, 0, 64), "ZYM sylvatone - soft acoustic eq");
    EXPECT_NE(text(effGetVendorString, 0, 64).find('.'), std::string::npos);

    // The editor's size is known before any window exists; keys without a
    // window are not handled, even with a NaN modifier.
    ERect* rect = nullptr;
    EXPECT_EQ(dispatch(effEditGetRect, 0, 0, &rect), 1);
    ASSERT_NE(rect, nullptr);
    EXPECT_EQ((std::vector<int>{rect->top, rect->left, rect->bottom, rect->right}),
              (std::vector<int>{0, 0, 187, 782}));
    EXPECT_EQ(dispatch(effEditKeyDown, 'a', 0, nullptr, std::numeric_limits<float>::quiet_NaN()), 0);
    EXPECT_EQ(dispatch(effEditKeyUp, 'a', 0, nullptr, 1e30f), 0);
    dispatch(effEditIdle);
}

TEST_F(Dispatcher, UnlistedOpcodesAndMissingBuffersAnswerZero)
{
    const std::set<int> answered = {effGetProgram, effEditGetRect, effEditOpen, effIdentify,
        effGetChunk, effCanBeAutomated, effGetProgramNameIndexed, effGetInputProperties,
        effGetOutputProperties, effGetPlugCategory, effSetSpeakerArrangement, effGetEffectName,
        effGetVendorString, effGetProductString, effGetVendorVersion, effCanDo, effGetTailSize,
        effGetParameterProperties, effGetVstVersion, effSetEditKnobMode, effGetCurrentMidiProgram,
        effSetTotalSampleToProcess, effSetChunk, effClose};
    for (int op = 0; op < 120; ++op)
        EXPECT_EQ(answered.count(op) ? 0 : dispatch(op), 0) << "opcode " << op;
    for (int op : {effGetChunk, effGetProgramNameIndexed, effGetInputProperties,
                   effGetOutputProperties, effGetEffectName, effGetVendorString,
                   effGetProductString, effGetParameterProperties, effEditGetRect})
        EXPECT_EQ(dispatch(op, 0, 0, nullptr), 0) << "opcode " << op;
    EXPECT_EQ(dispatch(effSetChunk, 0, 0, nullptr), -1);
    // The host sees one program: selecting another changes nothing.
    gCalls.clear();
    dispatch(effSetProgram, 0, 1);
    EXPECT_EQ(dispatch(effGetProgram), 0);
    EXPECT_TRUE(gCalls.empty());
    EXPECT_EQ(text(effGetProgramName, 0, 25), "Default");
}

TEST_F(Dispatcher, SpeakerArrangements)
{
    auto* sylvatone = static_cast<Sylvatone*>(effect);
    VstSpeakerArrangement one{0, 1, {}}, two{0, 2, {}}, six{0, 6, {}};
    // In order: inputs, outputs, answer, stereo input and output afterwards.
    const struct {
        VstSpeakerArrangement *in, *out;
        intptr_t answer;
        bool stereoIn, stereoOut;
    } steps[] = {{&one, &one, 1, false, false}, {&one, &two, 1, false, true},
                 {&two, &one, 0, true, true},   {&one, &one, 1, false, false},
                 {&six, &six, 0, true, true},   {nullptr, &two, 0, true, true},
                 {&two, &two, 1, true, true}};
    for (const auto& s : steps) {
        SCOPED_TRACE("step " + std::to_string(&s - steps));
        EXPECT_EQ(dispatch(effSetSpeakerArrangement, 0, reinterpret_cast<intptr_t>(s.in), s.out),
                  s.answer);
        EXPECT_EQ(sylvatone->stereoInput(), s.stereoIn);
        EXPECT_EQ(sylvatone->stereoOutput(), s.stereoOut);
    }
    VstSpeakerArrangement dummy{};
    VstSpeakerArrangement *in = &dummy, *out = &dummy;
    EXPECT_EQ(dispatch(effGetSpeakerArrangement, 0, reinterpret_cast<intptr_t>(&in), &out), 0);
    EXPECT_EQ(in, nullptr);
    EXPECT_EQ(out, nullptr);
}

// Hosts build their controls from these: switches toggle, the channel
// selector has three positions, stepped controls step as the editor does,
// and what steers nothing is not offered for automation.
TEST_F(Dispatcher, ParameterPropertiesAndAutomation)
{
    const std::set<int> switches = {0, 7, 12, 14, 16, 18, 20, 22, 24, 26, 37, 38, 40, 41};
    // Index, positions, large step in positions.
    const int stepped[][3] = {{1, 3, 1},   {6, 61, 6},  {9, 11, 1},  {13, 5, 1},  {15, 61, 6},
                              {17, 7, 1},  {19, 61, 6}, {21, 7, 1},  {23, 61, 6}, {25, 5, 1},
                              {27, 61, 6}};
    std::set<int> steering;
    for (int i = 0; i < 42; ++i) {
        char name[16];
        effect->getParameterName(i, name);
        if (name[0])
            steering.insert(i);
        EXPECT_EQ(dispatch(effCanBeAutomated, i), steering.count(i) ? 1 : 0) << i;

        VstParameterProperties p;
        memset(&p, 0x33, sizeof p);
        const auto* step = std::find_if(std::begin(stepped), std::end(stepped), [i](auto& s) { return s[0] == i; });
        const bool isStepped = step != std::end(stepped);
        const intptr_t r = dispatch(effGetParameterProperties, i, 0, &p);
        ASSERT_EQ(r, switches.count(i) || isStepped ? 1 : 0) << i;
        if (!r) {
            EXPECT_EQ(p.flags, 0x33333333) << i;
            continue;
        }
        if (switches.count(i)) {
            EXPECT_EQ(p.flags, kVstParameterIsSwitch | kVstParameterUsesFloatStep) << i;
            EXPECT_EQ(std::make_tuple(p.stepFloat, p.smallStepFloat, p.largeStepFloat),
                      std::make_tuple(1.0f, 1.0f, 1.0f)) << i;
        } else {
            EXPECT_EQ(p.flags, kVstParameterUsesFloatStep) << i;
            const float one = 1.0f / float((*step)[1] - 1);
            EXPECT_EQ(std::make_tuple(p.stepFloat, p.smallStepFloat, p.largeStepFloat),
                      std::make_tuple(one, one, one * float((*step)[2]))) << i;
        }
        EXPECT_EQ(p.minInteger, 0x33333333);  // untouched
        EXPECT_STREQ(p.label, name);
        EXPECT_EQ(std::string(p.shortLabel), std::string(name).substr(0, 7));
    }
    EXPECT_EQ(steering.size(), 21u);
    EXPECT_EQ(dispatch(effCanBeAutomated, 42), 0);
    EXPECT_EQ(dispatch(effCanBeAutomated, -1), 0);

    // Every position of the channel selector is a setting of its own.
    for (float at : {0.0f, 0.5f, 1.0f}) {
        fx->setParameter(fx, kParamLsr, at);
        EXPECT_EQ(text(effGetParamDisplay, kParamLsr, 9), at == 0.0f ? "Left" : at == 0.5f ? "Stereo" : "Right");
    }
}

TEST_F(Dispatcher, AutomationFromTheEditorReachesTheHost)
{
    gCalls.clear();
    effect->setParameterAutomated(kParamHfGain, 0.75f);
    ASSERT_EQ(gCalls.size(), 1u);
    EXPECT_EQ(gCalls[0].opcode, audioMasterAutomate);
    EXPECT_EQ(gCalls[0].index, kParamHfGain);
    EXPECT_EQ(effect->getParameter(kParamHfGain), 0.75f);
}

// The one copy every text to the host goes through: at and over the room
// the host gives, the text is cut and terminated inside it, never past.
TEST(HostStrings, AreCutAndTerminatedWithinTheRoomGiven)
{
    for (int room : {1, 2, 8, 9, 25, 64}) {
        for (size_t length : {size_t(0), size_t(room) - 1, size_t(room), size_t(room) + 7}) {
            const std::string source(length, 'a');
            char buffer[80];
            memset(buffer, 0x7f, sizeof buffer);
            vstCopyString(buffer, source.c_str(), room);
            const size_t kept = std::min(length, size_t(room) - 1);
            EXPECT_EQ(std::string(buffer), source.substr(0, kept)) << room << " " << length;
            EXPECT_EQ(std::string(buffer + room, sizeof buffer - size_t(room)), std::string(sizeof buffer - size_t(room), 0x7f))
                << "wrote past " << room << " for a text of " << length;
        }
    }
    char untouched = 0x7f;
    vstCopyString(&untouched, "x", 0);
    EXPECT_EQ(untouched, 0x7f);
}
