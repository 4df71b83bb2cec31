// The effect's parameter interface: decoding into the engine state, storing
// into the selected program, notifying the editor, and the host's texts.
#include <cstring>

#include "editor/ADEditor.h"
#include "engine/Sylvatone.h"

void Sylvatone::setParameter(int32_t index, float value)
{
    if (index >= kNumParams)
        return;
    if (index >= 0) {
        bool accepted = false;
        BandUpdate update = decodeParameter(params, index, value, &accepted);
        // A NaN or infinite value is not a setting: ignore the change whole.
        if (!accepted)
            return;
        requestUpdate(update);
        // The master switch and the channel selection hold across programs.
        if (index == kParamEqAll || index == kParamLsr)
            for (ProgramRecord& p : programs)
                p.params[index] = value;
    }
    if (!loadingPreset)
        CPresetSystemEffect::setParameter(index, value);
    if (adEditor())
        adEditor()->setParameter(index, value);
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
    if (!isValidParam(index) || !kParamInfo[index].switchLike)
        return false;
    p->flags = kVstParameterIsSwitch | kVstParameterUsesFloatStep;
    p->stepFloat = p->smallStepFloat = p->largeStepFloat = 1.0f;
    vstCopyString(p->label, kParamInfo[index].name, kVstMaxLabelLen);
    vstCopyString(p->shortLabel, kParamInfo[index].name, kVstMaxShortLabelLen);
    return true;
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
