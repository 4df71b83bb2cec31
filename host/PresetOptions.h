// Saved state and preset files given on the command line.
#pragma once

#include <string>

class PluginHost;

// Hands the bytes of a saved state chunk to the plug-in (effSetChunk), as a
// host restoring a session does; HostError when it cannot be read or the
// plug-in refuses it.
void applyStateFile(PluginHost& host, const std::string& path);

// Reads a Sylvatone preset file (bank false) or bank file and applies its
// program (a bank's program 0, as the plug-in's own bank loading selects) as
// a host would: every parameter, then the program name. HostError when the
// file cannot be read or is refused.
void applyPresetFile(PluginHost& host, const std::string& path, bool bank);

struct ProgramRecord;

// The user's stored default bank (the one the plug-in starts with) copied
// into programs (kNumPrograms of them); the factory bank where none is
// stored or it cannot be read.
void userDefaultBank(ProgramRecord* programs);
