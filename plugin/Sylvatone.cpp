// Construction, identity, pins and speaker arrangement of the effect.
#include "plugin/Sylvatone.h"

#include <cstring>

#include "engine/FactoryPresets.h"

Sylvatone::Sylvatone(audioMasterCallback audioMaster)
    : CPresetSystemEffect(audioMaster, factoryPrograms())
{
    initUpsDec();
    setNumInputs(2);
    setNumOutputs(2);
    setUniqueID(vstFourCC('K', 'R', 'T', 'A'));
    canProcessReplacing();
    canDoubleReplacing();
    setInitialDelay(static_cast<int32_t>(getLatency2()));

    initPresets();
    loadDefaults();
    setPresetNo(0);
    suspend();
}

// The editor is deleted after this, by the VST layer: nothing may tell it
// anything from here on.
Sylvatone::~Sylvatone()
{
    setObserver(nullptr);
}

namespace {

struct PinInfo {
    const char* label;
    int32_t flags;
};

const PinInfo kInputPins[2] = {{"ZYM Sylvatone 1 In", kVstPinIsActive | kVstPinIsStereo},
                               {"ZYM Sylvatone 2 In", kVstPinIsActive}};
const PinInfo kOutputPins[2] = {{"ZYM sylvatone 1 Out", kVstPinIsActive | kVstPinIsStereo},
                                {"ZYM sylvatone 2 Out", kVstPinIsActive}};

bool fillPin(const PinInfo (&pins)[2], int32_t index, VstPinProperties* props)
{
    if (index < 0 || index > 1)
        return false;
    vstCopyString(props->label, pins[index].label, kVstMaxLabelLen);
    props->flags = pins[index].flags;
    return true;
}

}  // namespace

bool Sylvatone::getInputProperties(int32_t index, VstPinProperties* props)
{
    return fillPin(kInputPins, index, props);
}

bool Sylvatone::getOutputProperties(int32_t index, VstPinProperties* props)
{
    return fillPin(kOutputPins, index, props);
}

// One or two inputs into one or two outputs; anything else is refused and
// leaves the engine in stereo.
bool Sylvatone::setSpeakerArrangement(VstSpeakerArrangement* input, VstSpeakerArrangement* output)
{
    bool in = true, out = true, ok = false;
    if (input && output) {
        int ni = input->numChannels, no = output->numChannels;
        if (ni == 1 && no == 1) {
            in = out = false;
            ok = true;
        } else if (ni == 1 && no == 2) {
            in = false;
            ok = true;
        } else if (ni == 2 && no == 2) {
            ok = true;
        }
    }
    stereoIn.store(in, std::memory_order_relaxed);
    stereoOut.store(out, std::memory_order_relaxed);
    return ok;
}

bool Sylvatone::getEffectName(char* name)
{
    strcpy(name, "ZYM sylvatone");
    return true;
}

bool Sylvatone::getVendorString(char* text)
{
    strcpy(text, "zym-audio.net");
    return true;
}

bool Sylvatone::getProductString(char* text)
{
    strcpy(text, "ZYM sylvatone - soft acoustic eq");
    return true;
}

int32_t Sylvatone::canDo(char* text)
{
    static const char* const kCanDo[] = {"offline", "plugAsChannelInsert", "mixDryWet", "1in1out",
                                         "2in2out"};
    for (const char* s : kCanDo)
        if (strcmp(text, s) == 0)
            return 1;
    return 0;
}
