// The effect's parameter interface: decoding into the engine state, storing
// into the selected program, notifying the editor, and the host's texts.
#include <cstring>

#include "plugin/Sylvatone.h"

// Any thread. The value is decoded into atomics, its band marked for the
// audio thread and its index for the program store; nothing else is written.
void Sylvatone::setParameter(int32_t index, float value)
{
    if (index >= kNumParams)
        return;
    if (index >= 0) {
        // A NaN or infinite value is not a setting: ignore the change whole.
        // Finite values outside 0..1 are clamped here, before they are
        // decoded or stored, so saved data always loads again.
        if (!normaliseValue(value))
            return;
        engine.setParameter(index, value);
        markLiveChanged(index);
    }
    if (EffectObserver* o = observer.load(std::memory_order_acquire))
        o->parameterChanged(index, value);
}

bool Sylvatone::holdsAcrossPrograms(int index)
{
    return parameterHoldsAcrossPrograms(index);
}

float Sylvatone::getParameter(int32_t index)
{
    if (!isValidParam(index))
        return 0.0f;
    return engine.paramState().rawValues[index].load(std::memory_order_relaxed);
}

float Sylvatone::getParameterValue(long index)
{
    return parameterValue(engine.paramState(), index);
}

void Sylvatone::getParameterLabel(int32_t /*index*/, char* label)
{
    label[0] = 0;
}

void Sylvatone::getParameterDisplay(int32_t index, char* text)
{
    parameterDisplay(engine.paramState(), index, text);
}

void Sylvatone::getParameterName(int32_t index, char* text)
{
    parameterName(index, text);
}

bool Sylvatone::getParameterProperties(int32_t index, VstParameterProperties* p)
{
    ParamSteps steps;
    if (!parameterSteps(index, &steps))
        return false;
    p->flags = kVstParameterUsesFloatStep | (steps.isSwitch ? kVstParameterIsSwitch : 0);
    p->stepFloat = p->smallStepFloat = steps.step;
    p->largeStepFloat = steps.largeStep;
    vstCopyString(p->label, kParamInfo[index].name, kVstMaxLabelLen);
    vstCopyString(p->shortLabel, kParamInfo[index].name, kVstMaxShortLabelLen);
    return true;
}

// Placeholders and hidden values steer nothing: hosts do not offer them.
bool Sylvatone::canParameterBeAutomated(int32_t index)
{
    return !parameterIsDummy(index);
}

bool Sylvatone::isDummy(int index)
{
    return parameterIsDummy(index);
}

bool Sylvatone::isDummyOld(int index)
{
    return parameterIsDummy(index);
}
