// Driving a plug-in's audio path: starting it as a DAW does before playback,
// and the buffers one process call takes.
#pragma once

#include <vector>

#include "shell/vst2.h"

class PluginHost;

// effOpen, sample rate, block size, a speaker arrangement of channels in and
// channels out (1 or 2), resume. The host answers audioMasterGetBlockSize
// with block from then on.
void startPlugin(PluginHost& host, double rate, int block, int channels);

// Suspend and resume: settings changed since the last resume take hold from
// the next sample instead of gliding from the old ones, and the reported
// latency is brought up to date.
void restartPlugin(PluginHost& host);

// HostError when the plug-in cannot take channels of audio at this precision.
void checkCanProcess(const AEffect* fx, bool doublePrecision, int channels);

// Planar buffers for every input and output pin of the plug-in, sized once
// for block frames, and the pointer arrays a process call takes.
template <typename T>
class ProcessBuffers {
public:
    ProcessBuffers(const AEffect* fx, int block)
        : ins(static_cast<size_t>(fx->numInputs), std::vector<T>(static_cast<size_t>(block))),
          outs(static_cast<size_t>(fx->numOutputs), std::vector<T>(static_cast<size_t>(block)))
    {
        for (auto& b : ins)
            inPtrs.push_back(b.data());
        for (auto& b : outs)
            outPtrs.push_back(b.data());
    }

    int inputs() const { return static_cast<int>(ins.size()); }
    T* input(int i) { return inPtrs[static_cast<size_t>(i)]; }
    T* output(int i) { return outPtrs[static_cast<size_t>(i)]; }

    // One process call over the first n frames (n <= block).
    void process(AEffect* fx, int n)
    {
        if constexpr (sizeof(T) == sizeof(double))
            fx->processDoubleReplacing(fx, inPtrs.data(), outPtrs.data(), n);
        else
            fx->processReplacing(fx, inPtrs.data(), outPtrs.data(), n);
    }

private:
    std::vector<std::vector<T>> ins, outs;
    std::vector<T*> inPtrs, outPtrs;
};
