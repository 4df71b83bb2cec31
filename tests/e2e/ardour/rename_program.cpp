// Renames the selected program inside a saved state chunk, as a user renaming
// it in the editor would: restores the chunk into the plug-in, renames
// through effSetProgramName and writes the plug-in's new chunk. Ardour has no
// way of its own to rename a VST 2 program.
//
//   ardour_rename_program PLUGIN.so IN-CHUNK OUT-CHUNK NAME
#include <cstdio>
#include <fstream>
#include <string>

#include "host/HostError.h"
#include "host/PluginHost.h"
#include "host/PresetOptions.h"

int main(int argc, char** argv)
{
    if (argc != 5) {
        fprintf(stderr, "usage: %s PLUGIN.so IN-CHUNK OUT-CHUNK NAME\n", argv[0]);
        return 2;
    }
    std::string error;
    auto host = PluginHost::load(argv[1], &error);
    if (!host) {
        fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    try {
        host->start(44100.0f, 512);
        applyStateFile(*host, argv[2]);
    } catch (const HostError& e) {
        fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    host->dispatch(effSetProgramName, 0, 0, argv[4]);
    void* data = nullptr;
    intptr_t size = host->dispatch(effGetChunk, 0, 0, &data);
    if (size <= 0 || !data) {
        fprintf(stderr, "the plug-in gave no chunk\n");
        return 1;
    }
    std::ofstream out(argv[3], std::ios::binary);
    out.write(static_cast<const char*>(data), size);
    host->close();
    if (!out.flush()) {
        fprintf(stderr, "cannot write %s\n", argv[3]);
        return 1;
    }
    return 0;
}
