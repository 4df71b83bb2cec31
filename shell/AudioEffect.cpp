#include "shell/AudioEffect.h"

#include <cstring>

#include "shell/AEffEditor.h"

namespace {

AudioEffect* effectOf(AEffect* e)
{
    return e ? static_cast<AudioEffect*>(e->object) : nullptr;
}

intptr_t dispatchThunk(AEffect* e, int32_t opcode, int32_t index, intptr_t value, void* ptr,
                       float opt)
{
    AudioEffect* effect = effectOf(e);
    if (!effect)
        return 0;
    if (opcode == effClose) {
        effect->dispatcher(opcode, index, value, ptr, opt);
        delete effect;
        return 1;
    }
    return effect->dispatcher(opcode, index, value, ptr, opt);
}

// The deprecated accumulating entry produces nothing.
void processThunk(AEffect*, float**, float**, int32_t) {}

void processReplacingThunk(AEffect* e, float** inputs, float** outputs, int32_t frames)
{
    if (AudioEffect* effect = effectOf(e))
        effect->processReplacing(inputs, outputs, frames);
}

void processDoubleReplacingThunk(AEffect* e, double** inputs, double** outputs, int32_t frames)
{
    if (AudioEffect* effect = effectOf(e))
        effect->processDoubleReplacing(inputs, outputs, frames);
}

void setParameterThunk(AEffect* e, int32_t index, float value)
{
    if (AudioEffect* effect = effectOf(e))
        effect->setParameter(index, value);
}

float getParameterThunk(AEffect* e, int32_t index)
{
    AudioEffect* effect = effectOf(e);
    return effect ? effect->getParameter(index) : 0.0f;
}

// Asks a text operation for its answer in a roomy scratch buffer, then hands
// the host no more than its buffer convention allows.
template <typename Fn>
void copyOutText(void* ptr, int capacity, Fn&& fill)
{
    if (!ptr)
        return;
    char scratch[256] = {};
    fill(scratch);
    scratch[sizeof scratch - 1] = 0;
    vstCopyString(static_cast<char*>(ptr), scratch, capacity);
}

}  // namespace

void vstCopyString(char* dest, const char* source, int capacity)
{
    if (!dest || capacity <= 0)
        return;
    size_t n = source ? strnlen(source, static_cast<size_t>(capacity - 1)) : 0;
    memcpy(dest, source, n);
    dest[n] = 0;
}

AudioEffect::AudioEffect(audioMasterCallback master, int32_t programs, int32_t params)
    : audioMaster(master), numPrograms(programs), numParams(params)
{
    memset(&cEffect, 0, sizeof cEffect);
    cEffect.magic = kEffectMagic;
    cEffect.dispatcher = dispatchThunk;
    cEffect.process = processThunk;
    cEffect.setParameter = setParameterThunk;
    cEffect.getParameter = getParameterThunk;
    cEffect.numPrograms = programs;
    cEffect.numParams = params;
    cEffect.numInputs = 1;
    cEffect.numOutputs = 2;
    cEffect.flags = effFlagsCanReplacing;
    cEffect.ioRatio = 1.0f;
    cEffect.object = this;
    cEffect.uniqueID = vstFourCC('N', 'o', 'E', 'f');
    cEffect.version = 1;
    cEffect.processReplacing = processReplacingThunk;
    cEffect.processDoubleReplacing = processDoubleReplacingThunk;
}

AudioEffect::~AudioEffect()
{
    delete editor;
}

void AudioEffect::setEditor(AEffEditor* newEditor)
{
    editor = newEditor;
    setFlag(effFlagsHasEditor, editor != nullptr);
}

void AudioEffect::setFlag(int32_t flag, bool state)
{
    if (state)
        cEffect.flags |= flag;
    else
        cEffect.flags &= ~flag;
}

void AudioEffect::processReplacing(float**, float**, int32_t) {}

void AudioEffect::processDoubleReplacing(double**, double**, int32_t) {}

intptr_t AudioEffect::callHost(int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt)
{
    return audioMaster ? audioMaster(&cEffect, opcode, index, value, ptr, opt) : 0;
}

// Only parameter indexes reach the host as automation or gestures: controls
// of the editor's own (tags beyond the parameters) stay inside the plug-in.
bool AudioEffect::isParameterIndex(int32_t index) const
{
    return index >= 0 && index < numParams;
}

void AudioEffect::setParameterAutomated(int32_t index, float value)
{
    setParameter(index, value);
    if (isParameterIndex(index))
        callHost(audioMasterAutomate, index, 0, nullptr, value);
}

void AudioEffect::beginEdit(int32_t index)
{
    if (isParameterIndex(index))
        callHost(audioMasterBeginEdit, index);
}

void AudioEffect::endEdit(int32_t index)
{
    if (isParameterIndex(index))
        callHost(audioMasterEndEdit, index);
}

bool AudioEffect::updateDisplay()
{
    return callHost(audioMasterUpdateDisplay) != 0;
}

int32_t AudioEffect::updateBlockSize()
{
    intptr_t size = callHost(audioMasterGetBlockSize);
    if (size > 0 && size <= INT32_MAX)
        blockSize = static_cast<int32_t>(size);
    return blockSize;
}

intptr_t AudioEffect::getOutputLatency()
{
    return callHost(audioMasterGetOutputLatency);
}

// The host answers 0 when the pin is connected; without a host every pin is.
bool AudioEffect::isInputConnected(int32_t input)
{
    return callHost(audioMasterPinConnected, input, 0) == 0;
}

bool AudioEffect::isOutputConnected(int32_t output)
{
    return callHost(audioMasterPinConnected, output, 1) == 0;
}

intptr_t AudioEffect::getMasterVersion()
{
    return audioMaster ? audioMaster(nullptr, audioMasterVersion, 0, 0, nullptr, 0.0f) : 0;
}

intptr_t AudioEffect::dispatcher(int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt)
{
    switch (opcode) {
    case effOpen:
        open();
        return 0;
    case effClose:
        close();
        return 0;
    case effSetProgram:
        if (value < numPrograms)
            setProgram(static_cast<int32_t>(value));
        return 0;
    case effGetProgram:
        return getProgram();
    case effSetProgramName:
        if (ptr)
            setProgramName(static_cast<char*>(ptr));
        return 0;
    case effGetProgramName:
        copyOutText(ptr, kVstMaxProgNameLen + 1, [&](char* t) { getProgramName(t); });
        return 0;
    case effGetParamLabel:
        copyOutText(ptr, kVstMaxParamStrLen + 1, [&](char* t) { getParameterLabel(index, t); });
        return 0;
    case effGetParamDisplay:
        copyOutText(ptr, kVstMaxParamStrLen + 1, [&](char* t) { getParameterDisplay(index, t); });
        return 0;
    case effGetParamName:
        copyOutText(ptr, kVstMaxParamStrLen + 1, [&](char* t) { getParameterName(index, t); });
        return 0;
    case effSetSampleRate:
        setSampleRate(opt);
        return 0;
    case effSetBlockSize:
        setBlockSize(static_cast<int32_t>(value));
        return 0;
    case effMainsChanged:
        if (value == 0)
            suspend();
        else
            resume();
        return 0;
    case effEditGetRect:
        if (editor && ptr)
            return editor->getRect(static_cast<ERect**>(ptr)) ? 1 : 0;
        return 0;
    case effEditOpen:
        // Without a parent window there is nothing to open into.
        return editor && ptr && editor->open(ptr) ? 1 : 0;
    case effEditClose:
        if (editor)
            editor->close();
        return 0;
    case effEditIdle:
        if (editor)
            editor->idle();
        return 0;
    case effIdentify:
        return vstFourCC('N', 'v', 'E', 'f');
    case effGetChunk:
        return ptr ? getChunk(static_cast<void**>(ptr), index != 0) : 0;
    case effSetChunk:
        if (value < 0 || value > INT32_MAX)
            return -1;
        return setChunk(ptr, static_cast<int32_t>(value), index != 0);
    default:
        return 0;
    }
}
