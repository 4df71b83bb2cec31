// The effect record and dispatcher as a host sees them, driven in-process
// with a host callback that records what the plug-in calls.
#include <cmath>
#include <cstring>
#include <limits>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "engine/Sylvatone.h"
#include "shell/AEffGUIEditor.h"

namespace {

struct Call {
    int32_t opcode, index;
    intptr_t value;
};
std::vector<Call> gCalls;
intptr_t gPinAnswer = 0;

intptr_t recordingHost(AEffect*, int32_t opcode, int32_t index, intptr_t value, void*, float)
{
    gCalls.push_back({opcode, index, value});
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
    void TearDown() override
    {
        if (fx) {
            EXPECT_EQ(dispatch(effClose), 1);
        }
    }
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
        for (size_t i = room; i < sizeof buffer; ++i)
            if (buffer[i] != 0x7f) {
                ADD_FAILURE() << "opcode " << opcode << " wrote byte " << i;
                break;
            }
        return std::string(buffer, std::min(len, room));
    }

    AudioEffect* effect = nullptr;
    AEffect* fx = nullptr;
};

VstSpeakerArrangement arrangement(int channels)
{
    VstSpeakerArrangement a{};
    a.numChannels = channels;
    return a;
}

}  // namespace

TEST_F(Dispatcher, RecordAsTheHostReadsIt)
{
    EXPECT_EQ(fx->magic, kEffectMagic);
    EXPECT_EQ(fx->numPrograms, 1);
    EXPECT_EQ(fx->numParams, 42);
    EXPECT_EQ(fx->numInputs, 2);
    EXPECT_EQ(fx->numOutputs, 2);
    EXPECT_EQ(fx->flags, 4145);
    EXPECT_EQ(fx->uniqueID, 0x4B525441);
    EXPECT_EQ(fx->version, 1);
    EXPECT_EQ(fx->ioRatio, 1.0f);
    EXPECT_EQ(fx->initialDelay, 46);
    EXPECT_EQ(fx->object, effect);
}

TEST_F(Dispatcher, IdentityOpcodes)
{
    EXPECT_EQ(dispatch(effGetVendorVersion), 1800);
    EXPECT_EQ(dispatch(effGetVstVersion), 2400);
    EXPECT_EQ(dispatch(effGetPlugCategory), 4);
    EXPECT_EQ(dispatch(effGetTailSize), 1024);
    EXPECT_EQ(dispatch(effIdentify), 0x4E764566);
    EXPECT_EQ(dispatch(effGetCurrentMidiProgram), -1);
    EXPECT_EQ(dispatch(effSetTotalSampleToProcess, 0, 512), 512);
    EXPECT_EQ(dispatch(effCanBeAutomated, 15), 1);
    EXPECT_EQ(text(effGetEffectName, 0, 32), "ZYM sylvatone");
    EXPECT_EQ(text(effGetProductString, 0, 64), "ZYM sylvatone - soft acoustic eq");
    std::string vendor = text(effGetVendorString, 0, 64);
    EXPECT_FALSE(vendor.empty());
    EXPECT_NE(vendor.find('.'), std::string::npos);
}

TEST_F(Dispatcher, CanDoIsExactAndNeverMinusOne)
{
    for (const char* yes : {"offline", "plugAsChannelInsert", "mixDryWet", "1in1out", "2in2out"})
        EXPECT_EQ(dispatch(effCanDo, 0, 0, const_cast<char*>(yes)), 1) << yes;
    for (const char* no : {"1in2out", "receiveVstMidiEvent", "2In2Out", "", "sendVstEvents"})
        EXPECT_EQ(dispatch(effCanDo, 0, 0, const_cast<char*>(no)), 0) << no;
    EXPECT_EQ(dispatch(effCanDo, 0, 0, nullptr), 0);
}

TEST_F(Dispatcher, UnlistedOpcodesAnswerZero)
{
    const std::set<int> answered = {effGetProgram, effEditGetRect, effEditOpen, effIdentify,
                                    effGetChunk, effCanBeAutomated, effGetProgramNameIndexed,
                                    effGetInputProperties, effGetOutputProperties,
                                    effGetPlugCategory, effSetSpeakerArrangement, effGetEffectName,
                                    effGetVendorString, effGetProductString, effGetVendorVersion,
                                    effCanDo, effGetTailSize, effGetParameterProperties,
                                    effGetVstVersion, effSetEditKnobMode,
                                    effGetCurrentMidiProgram, effSetTotalSampleToProcess,
                                    effSetChunk, effClose};
    for (int op = 0; op < 120; ++op)
        if (!answered.count(op)) {
            EXPECT_EQ(dispatch(op, 0, 0, nullptr, 0.0f), 0) << "opcode " << op;
        }
    // Null pointers where a host should have passed a buffer are answered 0.
    for (int op : {effGetChunk, effGetProgramNameIndexed, effGetInputProperties,
                   effGetOutputProperties, effGetEffectName, effGetVendorString,
                   effGetProductString, effGetParameterProperties, effEditGetRect})
        EXPECT_EQ(dispatch(op, 0, 0, nullptr), 0) << "opcode " << op;
    EXPECT_EQ(dispatch(effSetChunk, 0, 0, nullptr), -1);
}

TEST_F(Dispatcher, HostProgramCallsDoNothing)
{
    gCalls.clear();
    dispatch(effSetProgram, 0, 0);
    dispatch(effSetProgram, 0, 1);
    EXPECT_EQ(dispatch(effGetProgram), 0);
    EXPECT_TRUE(gCalls.empty());
    EXPECT_EQ(text(effGetProgramName, 0, 25), "Default");
}

TEST_F(Dispatcher, EditorRectangleBeforeAnyWindow)
{
    ERect* rect = nullptr;
    EXPECT_EQ(dispatch(effEditGetRect, 0, 0, &rect), 1);
    ASSERT_NE(rect, nullptr);
    EXPECT_EQ(rect->top, 0);
    EXPECT_EQ(rect->left, 0);
    EXPECT_EQ(rect->bottom, 187);
    EXPECT_EQ(rect->right, 782);
    // No window: keys are not handled, even with a NaN modifier.
    EXPECT_EQ(dispatch(effEditKeyDown, 'a', 0, nullptr, std::numeric_limits<float>::quiet_NaN()), 0);
    EXPECT_EQ(dispatch(effEditKeyUp, 'a', 0, nullptr, 1e30f), 0);
    dispatch(effEditIdle);
}

TEST_F(Dispatcher, KnobModeIsSharedByEveryEditor)
{
    AudioEffect* other = createEffectInstance(recordingHost);
    ASSERT_NE(other, nullptr);
    EXPECT_EQ(dispatch(effSetEditKnobMode, 0, 1), 1);
    EXPECT_EQ(static_cast<AEffGUIEditor*>(other->getEditor())->getKnobMode(), 1);
    dispatch(effSetEditKnobMode, 0, 0);
    AEffect* o = other->getAeffect();
    EXPECT_EQ(o->dispatcher(o, effClose, 0, 0, nullptr, 0.0f), 1);
}

TEST_F(Dispatcher, PinProperties)
{
    struct {
        int32_t opcode, index;
        const char* label;
        int32_t flags;
    } pins[] = {{effGetInputProperties, 0, "ZYM Sylvatone 1 In", 3},
                {effGetInputProperties, 1, "ZYM Sylvatone 2 In", 1},
                {effGetOutputProperties, 0, "ZYM sylvatone 1 Out", 3},
                {effGetOutputProperties, 1, "ZYM sylvatone 2 Out", 1}};
    for (const auto& p : pins) {
        VstPinProperties props;
        memset(&props, 0x55, sizeof props);
        EXPECT_EQ(dispatch(p.opcode, p.index, 0, &props), 1);
        EXPECT_STREQ(props.label, p.label);
        EXPECT_EQ(props.flags, p.flags);
        EXPECT_EQ(props.arrangementType, 0x55555555);  // untouched
    }
    VstPinProperties props;
    memset(&props, 0x55, sizeof props);
    EXPECT_EQ(dispatch(effGetInputProperties, 2, 0, &props), 0);
    EXPECT_EQ(dispatch(effGetOutputProperties, -1, 0, &props), 0);
    EXPECT_EQ(props.flags, 0x55555555);
}

TEST_F(Dispatcher, SpeakerArrangements)
{
    auto* sylvatone = static_cast<Sylvatone*>(effect);
    auto set = [&](VstSpeakerArrangement* in, VstSpeakerArrangement* out) {
        return dispatch(effSetSpeakerArrangement, 0, reinterpret_cast<intptr_t>(in), out);
    };
    VstSpeakerArrangement one = arrangement(1), two = arrangement(2), six = arrangement(6);
    EXPECT_EQ(set(&one, &one), 1);
    EXPECT_FALSE(sylvatone->stereoInput());
    EXPECT_FALSE(sylvatone->stereoOutput());
    EXPECT_EQ(set(&one, &two), 1);
    EXPECT_FALSE(sylvatone->stereoInput());
    EXPECT_TRUE(sylvatone->stereoOutput());
    EXPECT_EQ(set(&two, &one), 0);
    EXPECT_TRUE(sylvatone->stereoInput());
    EXPECT_TRUE(sylvatone->stereoOutput());
    EXPECT_EQ(set(&one, &one), 1);
    EXPECT_EQ(set(&six, &six), 0);
    EXPECT_TRUE(sylvatone->stereoInput() && sylvatone->stereoOutput());
    EXPECT_EQ(set(nullptr, &two), 0);
    EXPECT_EQ(set(&two, &two), 1);

    VstSpeakerArrangement dummy{};
    VstSpeakerArrangement* in = &dummy;
    VstSpeakerArrangement* out = &dummy;
    EXPECT_EQ(dispatch(effGetSpeakerArrangement, 0, reinterpret_cast<intptr_t>(&in), &out), 0);
    EXPECT_EQ(in, nullptr);
    EXPECT_EQ(out, nullptr);
}

TEST_F(Dispatcher, ParameterTextsFitTheHostConvention)
{
    for (int i = -2; i < 45; ++i) {
        text(effGetParamName, i, 8);
        text(effGetParamLabel, i, 1);
        text(effGetParamDisplay, i, 9);
    }
    fx->setParameter(fx, kParamLfGain, 0.0f);
    EXPECT_EQ(text(effGetParamDisplay, kParamLfGain, 9), "-15.00dB");
    fx->setParameter(fx, kParamLfGain, 0.4333f);
    EXPECT_EQ(text(effGetParamDisplay, kParamLfGain, 9), "-2.00dB");
    EXPECT_EQ(text(effGetParamName, kParamHmfFreq, 8), "HMFfreq");
    EXPECT_EQ(text(effGetParamDisplay, kParamHmfFreq, 9), "3.28kHz");
    EXPECT_EQ(text(effGetParamDisplay, kParamHpfFreq, 9), "OFF");
    EXPECT_EQ(text(effGetParamDisplay, kParamOutput, 9), "0.0dB");
    EXPECT_EQ(text(effGetParamDisplay, kParamEqAll, 9), "On   ");
    EXPECT_NEAR(fx->getParameter(fx, kParamLfGain), 0.4333f, 0.0f);
}

TEST_F(Dispatcher, ParameterProperties)
{
    const std::set<int> switches = {0, 1, 7, 12, 14, 16, 18, 20, 22, 24, 26, 37, 38, 40, 41};
    for (int i = 0; i < 42; ++i) {
        VstParameterProperties p;
        memset(&p, 0x33, sizeof p);
        intptr_t r = dispatch(effGetParameterProperties, i, 0, &p);
        EXPECT_EQ(r, switches.count(i) ? 1 : 0) << i;
        if (!r) {
            EXPECT_EQ(p.flags, 0x33333333) << i;
            continue;
        }
        EXPECT_EQ(p.flags, kVstParameterIsSwitch | kVstParameterUsesFloatStep);
        EXPECT_EQ(p.stepFloat, 1.0f);
        EXPECT_EQ(p.smallStepFloat, 1.0f);
        EXPECT_EQ(p.largeStepFloat, 1.0f);
        EXPECT_EQ(p.minInteger, 0x33333333);  // untouched
        char name[16];
        effect->getParameterName(i, name);
        EXPECT_STREQ(p.label, name);
        EXPECT_EQ(std::string(p.shortLabel), std::string(name).substr(0, 7));
    }
}

TEST_F(Dispatcher, ProgramNamesThroughTheIndexedOpcode)
{
    const char* names[] = {"Default", "C-bass Pick-up", "Piano", "Mild", "Round", "Finish"};
    for (int i = 0; i < 6; ++i) {
        char buffer[64];
        memset(buffer, 0x7f, sizeof buffer);
        EXPECT_EQ(dispatch(effGetProgramNameIndexed, i, 0, buffer), 1);
        EXPECT_STREQ(buffer, names[i]);
    }
    char buffer[64] = "keep";
    EXPECT_EQ(dispatch(effGetProgramNameIndexed, 6, 0, buffer), 0);
    EXPECT_STREQ(buffer, "keep");

    char renamed[] = "A name that is far longer than twenty-four";
    dispatch(effSetProgramName, 0, 0, renamed);
    EXPECT_EQ(text(effGetProgramName, 0, 25), std::string(renamed, 23));
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

TEST_F(Dispatcher, ProcessingCallsWithAwkwardArguments)
{
    float l[32] = {1, 2, 3}, r[32] = {4, 5, 6};
    float* io[2] = {l, r};
    fx->processReplacing(fx, io, io, 0);
    fx->processReplacing(fx, io, io, -5);
    fx->processReplacing(fx, nullptr, nullptr, 16);
    double dl[32] = {}, dr[32] = {};
    double* dio[2] = {dl, dr};
    fx->processDoubleReplacing(fx, dio, dio, 17);
    fx->process(fx, io, io, 16);
    float* half[2] = {l, nullptr};
    gPinAnswer = 1;  // nothing connected on the second pins
    fx->processReplacing(fx, half, half, 8);
    EXPECT_TRUE(std::isfinite(l[0]));
}

TEST(HostlessEffect, WrappersFallBackWithoutAHost)
{
    EXPECT_EQ(createEffectInstance(nullptr), nullptr);
    Sylvatone fx(nullptr);
    fx.setBlockSize(256);
    EXPECT_EQ(fx.updateBlockSize(), 256);
    EXPECT_TRUE(fx.isInputConnected(1));
    EXPECT_TRUE(fx.isOutputConnected(1));
    EXPECT_EQ(fx.getOutputLatency(), 0);
    fx.setPresetNo(3);
    fx.resume();
    EXPECT_EQ(fx.getAeffect()->initialDelay, 46);
}
