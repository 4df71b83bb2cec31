// The effect's parameter interface: decoding into the engine state, storing
// into the selected program, notifying the editor, and the host's texts.
#include <cstring>

#include "editor/ADEditor.h"
#include "engine/Sylvatone.h"

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
        requestUpdate(decodeParameter(params, index, value));
        markLiveChanged(index);
    }
    if (adEditor())
        adEditor()->setParameter(index, value);
}

bool Sylvatone::holdsAcrossPrograms(int index)
{
    return parameterHoldsAcrossPrograms(index);
}

float Sylvatone::getParameter(int32_t index)
{
    if (!isValidParam(index))
        return 0.0f;
    return params.rawValues[index].load(std::memory_order_relaxed);
}

float Sylvatone::getParameterValue(long index)
{
    return parameterValue(params, index);
}

void Sylvatone::getParameterLabel(int32_t /*index*/, char* label)
{
    label[0] = 0;
}

void Sylvatone::getParameterDisplay(int32_t index, char* text)
{
    parameterDisplay(params, index, text);
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

void Sylvatone::requestUpdate(BandUpdate update)
{
    if (update != BandUpdate::None)
        pendingUpdates.fetch_or(1u << static_cast<unsigned>(update), std::memory_order_release);
}

void Sylvatone::applyPendingUpdates()
{
    unsigned pending = pendingUpdates.exchange(0, std::memory_order_acquire);
    for (int u = 1; u < kNumBandUpdates; ++u)
        if (pending & (1u << u))
            runUpdate(static_cast<BandUpdate>(u));
}

void Sylvatone::runUpdate(BandUpdate update)
{
    switch (update) {
    case BandUpdate::LowCut:
        updateLowCut();
        break;
    case BandUpdate::LowShelf:
        updateLowShelf();
        break;
    case BandUpdate::LowMid:
        updateLowMid();
        break;
    case BandUpdate::Mid:
        updateMid();
        break;
    case BandUpdate::HighShelf:
        updateHighShelf();
        break;
    case BandUpdate::None:
        break;
    }
}
