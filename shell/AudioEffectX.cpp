#include "shell/AudioEffectX.h"

#include <cmath>

#include "shell/AEffEditor.h"

namespace {

// A key event as the editor expects it; the host's float modifier is turned
// into a byte without ever converting a NaN or out-of-range value.
VstKeyCode keyCodeFrom(int32_t index, intptr_t value, float opt)
{
    VstKeyCode key{};
    key.character = index;
    key.virt = static_cast<unsigned char>(value);
    float m = std::isfinite(opt) ? std::fmin(std::fmax(opt, 0.0f), 255.0f) : 0.0f;
    key.modifier = static_cast<unsigned char>(m);
    return key;
}

}  // namespace

AudioEffectX::AudioEffectX(audioMasterCallback audioMaster, int32_t programs, int32_t params)
    : AudioEffect(audioMaster, programs, params)
{
}

intptr_t AudioEffectX::dispatcher(int32_t opcode, int32_t index, intptr_t value, void* ptr,
                                  float opt)
{
    char text[256] = {};
    switch (opcode) {
    case effProcessEvents:
        return ptr ? processEvents(static_cast<VstEvents*>(ptr)) : 0;
    case effCanBeAutomated:
        return canParameterBeAutomated(index) ? 1 : 0;
    case effGetProgramNameIndexed:
        if (!ptr || !getProgramNameIndexed(static_cast<int32_t>(value), index, text))
            return 0;
        vstCopyString(static_cast<char*>(ptr), text, kVstMaxProgNameLen + 1);
        return 1;
    case effGetInputProperties:
        return ptr && getInputProperties(index, static_cast<VstPinProperties*>(ptr)) ? 1 : 0;
    case effGetOutputProperties:
        return ptr && getOutputProperties(index, static_cast<VstPinProperties*>(ptr)) ? 1 : 0;
    case effGetPlugCategory:
        return getPlugCategory();
    case effSetSpeakerArrangement:
        return setSpeakerArrangement(reinterpret_cast<VstSpeakerArrangement*>(value),
                                     static_cast<VstSpeakerArrangement*>(ptr))
                   ? 1
                   : 0;
    case effGetEffectName:
        if (!ptr || !getEffectName(text))
            return 0;
        vstCopyString(static_cast<char*>(ptr), text, kVstMaxEffectNameLen);
        return 1;
    case effGetVendorString:
        if (!ptr || !getVendorString(text))
            return 0;
        vstCopyString(static_cast<char*>(ptr), text, kVstMaxVendorStrLen);
        return 1;
    case effGetProductString:
        if (!ptr || !getProductString(text))
            return 0;
        vstCopyString(static_cast<char*>(ptr), text, kVstMaxProductStrLen);
        return 1;
    case effGetVendorVersion:
        return getVendorVersion();
    case effCanDo:
        return ptr ? canDo(static_cast<char*>(ptr)) : 0;
    case effGetTailSize:
        return getGetTailSize();
    case effGetParameterProperties:
        return ptr && getParameterProperties(index, static_cast<VstParameterProperties*>(ptr)) ? 1
                                                                                              : 0;
    case effGetVstVersion:
        return getVstVersion();
    case effEditKeyDown:
    case effEditKeyUp: {
        if (!editor)
            return 0;
        VstKeyCode key = keyCodeFrom(index, value, opt);
        bool handled = opcode == effEditKeyDown ? editor->onKeyDown(key) : editor->onKeyUp(key);
        return handled ? 1 : 0;
    }
    case effSetEditKnobMode:
        return editor && editor->setKnobMode(static_cast<int32_t>(value)) ? 1 : 0;
    case effGetCurrentMidiProgram:
        return getCurrentMidiProgram(index);
    case effGetSpeakerArrangement:
        if (auto* in = reinterpret_cast<VstSpeakerArrangement**>(value))
            *in = nullptr;
        if (auto* out = static_cast<VstSpeakerArrangement**>(ptr))
            *out = nullptr;
        return 0;
    case effSetTotalSampleToProcess:
        return setTotalSampleToProcess(value);
    default:
        return AudioEffect::dispatcher(opcode, index, value, ptr, opt);
    }
}
