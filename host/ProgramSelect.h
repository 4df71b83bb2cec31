// Finding the program a command line names, and putting it into effect.
#pragma once

#include "shell/vst2.h"

#include <string>
#include <vector>

class PluginHost;

// The programs --program chooses from, by name in order: for Sylvatone its
// factory bank, or with userDefaults the default bank the user stored; for
// any other plug-in the names it gives (effGetProgramNameIndexed).
std::vector<std::string> programNames(PluginHost& host, bool userDefaults = false);

// The plug-in's unique ID ('KRTA').
constexpr int32_t kSylvatoneId = 0x4B525441;

// Whether the loaded plug-in is Sylvatone, whose programs and files this
// host knows.
bool isSylvatone(const AEffect* fx);

// The index in programNames(host, userDefaults) of the program wanted names:
// its number, or its name compared without regard to case. Throws HostError
// listing the choices otherwise.
int resolveProgram(PluginHost& host, const std::string& wanted, bool userDefaults = false);

// Puts program n of programNames(host, userDefaults) into effect. Sylvatone
// answers effSetProgram only for its one host program, so for it every
// parameter and the name are set from the host's copy of the bank; any other
// plug-in gets effSetProgram. False when n cannot be applied.
bool selectInternalProgram(PluginHost& host, int n, bool userDefaults = false);
