// What a host sees of a loaded plug-in, printed for people.
#pragma once

#include <ostream>

class PluginHost;

// Prints identity, flags, pins, latency, parameters and the programs
// --program chooses from (see programNames). The host should have been
// started (the latency is read after resume).
void printPluginInfo(PluginHost& host, std::ostream& out, bool userDefaults = false);
