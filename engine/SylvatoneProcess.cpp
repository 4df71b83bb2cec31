// The host's processing entries: channel routing by connected pins and the
// speaker arrangement, then the per-block loops.
#include <cstring>

#include "engine/Sylvatone.h"

namespace {

template <typename T>
void copyThrough(const T* in, T* out, int frames)
{
    if (in && out && in != out)
        memmove(out, in, sizeof(T) * static_cast<size_t>(frames));
}

}  // namespace

void Sylvatone::processReplacing(float** inputs, float** outputs, int32_t sampleFrames)
{
    if (isInputConnected(1) && stereoInput())
        processLoopFast(inputs, outputs, sampleFrames);
    else
        processLoopFastMono(inputs, outputs, sampleFrames);
}

void Sylvatone::processDoubleReplacing(double** inputs, double** outputs, int32_t sampleFrames)
{
    if (isInputConnected(1) && stereoInput())
        processLoopFastDouble(inputs, outputs, sampleFrames);
    else
        processLoopFastDoubleMono(inputs, outputs, sampleFrames);
}

namespace {

template <typename T>
void passStereo(Sylvatone& fx, T** inputs, T** outputs, int frames)
{
    if (!inputs || !outputs || frames < 1)
        return;
    T* inL = inputs[0];
    T* inR = fx.isInputConnected(1) && fx.stereoInput() && inputs[1] ? inputs[1] : inL;
    T* outL = outputs[0];
    bool stereoOut = fx.isOutputConnected(1) && fx.stereoOutput() && outputs[1];
    if (stereoOut)
        copyThrough(inR, outputs[1], frames);
    copyThrough(inL, outL, frames);
}

template <typename T>
void passMono(Sylvatone& fx, T** inputs, T** outputs, int frames)
{
    if (!inputs || !outputs || frames < 1)
        return;
    if (fx.isOutputConnected(1) && fx.stereoOutput() && outputs[1])
        copyThrough(inputs[0], outputs[1], frames);
    copyThrough(inputs[0], outputs[0], frames);
}

}  // namespace

void Sylvatone::processLoopFast(float** inputs, float** outputs, int sampleFrames)
{
    applyPendingUpdates();
    passStereo(*this, inputs, outputs, sampleFrames);
}

void Sylvatone::processLoopFastMono(float** inputs, float** outputs, int sampleFrames)
{
    applyPendingUpdates();
    passMono(*this, inputs, outputs, sampleFrames);
}

void Sylvatone::processLoopFastDouble(double** inputs, double** outputs, int sampleFrames)
{
    applyPendingUpdates();
    passStereo(*this, inputs, outputs, sampleFrames);
}

void Sylvatone::processLoopFastDoubleMono(double** inputs, double** outputs, int sampleFrames)
{
    applyPendingUpdates();
    passMono(*this, inputs, outputs, sampleFrames);
}
