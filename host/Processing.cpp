#include "host/Processing.h"

#include <string>

#include "host/HostError.h"
#include "host/PluginHost.h"

void startPlugin(PluginHost& host, double rate, int block, int channels)
{
    host.blockSizeAnswer = block;
    host.dispatch(effOpen);
    host.dispatch(effSetSampleRate, 0, 0, nullptr, static_cast<float>(rate));
    host.dispatch(effSetBlockSize, 0, block);
    VstSpeakerArrangement in{}, out{};
    in.type = out.type = channels == 1 ? kSpeakerArrMono : kSpeakerArrStereo;
    in.numChannels = out.numChannels = channels;
    // A plug-in that refuses the arrangement keeps its own; the mono
    // signal then reaches every input and output 0 is taken.
    host.dispatch(effSetSpeakerArrangement, 0, reinterpret_cast<intptr_t>(&in), &out);
    host.dispatch(effMainsChanged, 0, 1);
}

void restartPlugin(PluginHost& host)
{
    host.dispatch(effMainsChanged, 0, 0);
    host.dispatch(effMainsChanged, 0, 1);
}

void checkCanProcess(const AEffect* fx, bool doublePrecision, int channels)
{
    if (doublePrecision && !(fx->flags & effFlagsCanDoubleReplacing))
        throw HostError("the plug-in cannot process 64-bit audio (leave out --double)");
    if (!doublePrecision && !(fx->flags & effFlagsCanReplacing))
        throw HostError("the plug-in cannot process 32-bit audio (try --double)");
    if (fx->numInputs < 1)
        throw HostError("the plug-in takes no audio input");
    if (fx->numOutputs < channels)
        throw HostError("the plug-in has " + std::to_string(fx->numOutputs) +
                        " output(s), too few for " + std::to_string(channels) + " channels");
}
