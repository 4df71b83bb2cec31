// `sylvatone demo`: a test signal of the host's own making, rendered through
// every program of the plug-in, with a response plot per program.
#pragma once

#include <string>
#include <vector>

#include "host/Options.h"

// The demo signal, interleaved stereo: plucked low notes, a little pink-ish
// noise and a quiet sine sweep from 20 Hz to 20 kHz. The same on every run.
std::vector<float> demoSignal(int rate, double seconds);

// "C-bass Pick-up" -> "c-bass-pick-up": lower case, runs of anything else
// than letters and digits become one '-'.
std::string slug(const std::string& name);

// Runs `demo` with the arguments after the command name.
int demoCommand(ArgList& args);
