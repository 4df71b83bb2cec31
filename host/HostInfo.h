// What a host sees of a loaded plug-in, printed for people.
#pragma once

#include <ostream>

class PluginHost;

// Prints identity, flags, pins, latency, parameters and programs. The host
// should have been started (the latency is read after resume).
void printPluginInfo(PluginHost& host, std::ostream& out);
