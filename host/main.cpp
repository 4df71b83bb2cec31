// sylvatone: runs the Sylvatone plug-in (or any VST 2.4 plug-in) from the
// command line, exactly as a DAW loads it.
#include <cstring>
#include <iostream>
#include <string>

#include "host/HostInfo.h"
#include "host/PluginHost.h"

namespace {

void usage(std::ostream& out)
{
    out << "usage: sylvatone info [--plugin PATH]\n"
           "  info      print what a host sees of the plug-in\n"
           "  --plugin  the plug-in library to load (default: the bundle built here)\n";
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        usage(std::cerr);
        return 2;
    }
    std::string command = argv[1];
    if (command == "--help" || command == "-h" || command == "help") {
        usage(std::cout);
        return 0;
    }
    std::string pluginPath = defaultPluginPath();
    for (int i = 2; i < argc; ++i) {
        if (strcmp(argv[i], "--plugin") == 0 && i + 1 < argc) {
            pluginPath = argv[++i];
        } else {
            std::cerr << "sylvatone: unknown option: " << argv[i] << '\n';
            usage(std::cerr);
            return 2;
        }
    }
    if (command != "info") {
        std::cerr << "sylvatone: unknown command: " << command << '\n';
        usage(std::cerr);
        return 2;
    }

    std::string error;
    auto host = PluginHost::load(pluginPath, &error);
    if (!host) {
        std::cerr << "sylvatone: " << error << '\n';
        return 1;
    }
    host->recording = false;
    host->start(44100.0f, 512);
    std::cout << "plug-in:   " << pluginPath << '\n';
    printPluginInfo(*host, std::cout);
    return 0;
}
