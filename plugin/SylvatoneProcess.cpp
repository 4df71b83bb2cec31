// The host's processing entries: which pins carry audio, then the engine's
// signal path. Audio thread; allocates nothing and takes no lock.
#include "plugin/Sylvatone.h"

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

void Sylvatone::processLoopFast(float** inputs, float** outputs, int sampleFrames)
{
    processLoop<false>(inputs, outputs, sampleFrames);
}

void Sylvatone::processLoopFastMono(float** inputs, float** outputs, int sampleFrames)
{
    processLoop<true>(inputs, outputs, sampleFrames);
}

void Sylvatone::processLoopFastDouble(double** inputs, double** outputs, int sampleFrames)
{
    processLoop<false>(inputs, outputs, sampleFrames);
}

void Sylvatone::processLoopFastDoubleMono(double** inputs, double** outputs, int sampleFrames)
{
    processLoop<true>(inputs, outputs, sampleFrames);
}

// The second input counts only when the host connects it and the speaker
// arrangement is stereo; the second output likewise. Missing buffers are
// never read or written.
template <bool Mono, typename T>
void Sylvatone::processLoop(T** inputs, T** outputs, int sampleFrames)
{
    T* inL = inputs ? inputs[0] : nullptr;
    T* outL = outputs ? outputs[0] : nullptr;
    if (sampleFrames < 1 || !inL || !outL) {
        engine.processMono<T>(nullptr, nullptr, nullptr, 0);  // no audio passes: the peak is cleared
        return;
    }
    T* inR = inL;
    if (!Mono && isInputConnected(1) && stereoInput() && inputs[1])
        inR = inputs[1];
    T* outR = nullptr;
    if (isOutputConnected(1) && stereoOutput() && outputs[1])
        outR = outputs[1];
    // A window showing the spectrum gets the input before it is replaced
    // (hosts process in place) and the output after.
    const bool listening = tap.listening.load(std::memory_order_relaxed);
    if (listening)
        tap.input.push(inL, Mono ? nullptr : inR, sampleFrames);
    if (Mono)
        engine.processMono<T>(inL, outL, outR, sampleFrames);
    else
        engine.processStereo<T>(inL, inR, outL, outR, sampleFrames);
    if (listening)
        tap.output.push(outL, Mono ? nullptr : outR, sampleFrames);
}
