// `sylvatone render`: an audio file through the plug-in, block by block, as
// a DAW plays a track through an insert.
#pragma once

#include <cstdint>
#include <string>

#include "host/Options.h"

struct RenderOptions {
    std::string input;
    std::string output;
    PluginOptions plugin;
    int block = 512;
    bool doublePrecision = false;  // processDoubleReplacing instead of processReplacing
    bool compensate = false;       // trim the reported latency so output lines up with input
    bool progress = true;          // a bar on stderr, when it is a terminal and the file long
};

struct RenderSummary {
    int64_t frames = 0;
    int channels = 0;
    int rate = 0;
    int latency = 0;
    int64_t clipped = 0;   // samples clipped to full scale by an integer output format
    std::string settings;  // program and settings in effect
};

// Renders options.input into options.output, which appears only when the
// whole file is written. HostError for anything that stops it.
RenderSummary renderFile(const RenderOptions& options);

// Runs `render` with the arguments after the command name.
int renderCommand(ArgList& args);
