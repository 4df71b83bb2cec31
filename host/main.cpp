// sylvatone: runs the Sylvatone plug-in (or any VST 2.4 plug-in) from the
// command line, exactly as a DAW loads it.
#include <cstring>
#include <iostream>
#include <string>

#include "host/AudioFile.h"
#include "host/Demo.h"
#include "host/HostError.h"
#include "host/HostInfo.h"
#include "host/Options.h"
#include "host/PluginHost.h"
#include "host/Render.h"
#include "host/Snapshot.h"
#include "host/Response.h"

namespace {

// Each command's own usage, printed by `sylvatone COMMAND --help` and, all
// together, by `sylvatone --help`.
struct CommandHelp {
    const char* name;
    const char* text;
    const char* options;  // the names of the options it takes, each followed by a space
};

const CommandHelp kCommands[] = {
    {"info",
     "  info [--plugin PATH] [--state FILE] [--preset FILE] [--bank FILE]\n"
     "       [--program N|NAME] [--set NAME=VALUE]...\n"
     "      print what a host sees of the plug-in, with each control's values\n",
     "--program --user-defaults --set --plugin --state --preset --bank "},
    {"render",
     "  render IN OUT [--program N|NAME] [--set NAME=VALUE]... [--block N] [--double]\n"
     "               [--compensate] [--plugin PATH]\n"
     "      run an audio file (WAV, FLAC, AIFF, Ogg, ...; mono or stereo) through the\n"
     "      plug-in at the file's rate; OUT takes its format from its extension\n"
     "      (.wav .flac .aiff .ogg .opus .mp3, as the installed libsndfile writes\n"
     "      them) and the input's sample type where it can\n",
     "--program --user-defaults --set --block --double --compensate --plugin --state --preset --bank "},
    {"response",
     "  response OUT.png [--program N|NAME] [--set NAME=VALUE]... [--rate R] [--csv]\n"
     "                   [--plugin PATH]\n"
     "      measure the magnitude response from an impulse and plot it; --csv also\n"
     "      writes a table beside the plot (an OUT ending in .csv gets only the table)\n",
     "--program --user-defaults --set --rate --plugin --state --preset --bank "},
    {"snapshot",
     "  snapshot OUT.png [--program N|NAME] [--set NAME=VALUE]... [--scale 1|1.5|2] [--readout NAME]\n"
     "           [--panel]\n"
     "      draw the editor off-screen into a picture; --panel with the response panel\n"
     "      open, after a moment of the demo signal\n",
     "--program --user-defaults --set --state --preset --bank "},
    {"demo",
     "  demo [OUTDIR]\n"
     "      render a test signal through every program into OUTDIR (default: out)\n",
     "--plugin "},
};

// The options, each with its help; a command's help shows those it takes.
struct OptionHelp {
    const char* name;
    const char* text;
};

const OptionHelp kOptions[] = {
    {"--program",
     "  --program N|NAME  start from factory program N, or the one of that name\n"},
    {"--user-defaults",
     "  --user-defaults   start from the default bank and program stored in the\n"
     "                    editor; --program then names one of that bank\n"},
    {"--set",
     "  --set NAME=VALUE  set a parameter (name as `info` shows it, or index) to a\n"
     "                    normalised value from 0 to 1, or to one of the values `info`\n"
     "                    lists for it: LFgain=+3dB, LMFfreq=443Hz, HFfreq=16k,\n"
     "                    HPFfreq=OFF, L-S-R=left, SAT=on; applied after --program\n"},
    {"--block",
     "  --block N         frames per process call (default 512)\n"},
    {"--double",
     "  --double          process in 64-bit (processDoubleReplacing)\n"},
    {"--compensate",
     "  --compensate      trim the plug-in's latency so output lines up with input\n"},
    {"--rate",
     "  --rate R          sample rate of the measurement (default 44100)\n"},
    {"--plugin",
     "  --plugin PATH     the plug-in library to load (default: the bundle built here)\n"},
    {"--state",
     "  --state FILE      restore a state chunk saved by a host\n"},
    {"--preset",
     "  --preset FILE     a program from a preset file (.zym)\n"},
    {"--bank",
     "  --bank FILE       program 0 of a bank file (.zyb)\n"},
};

void usage(std::ostream& out)
{
    out << "usage: sylvatone COMMAND [ARGS]\n\n";
    for (const CommandHelp& c : kCommands)
        out << c.text;
    out << '\n';
    for (const OptionHelp& o : kOptions)
        out << o.text;
}

bool isHelp(const std::string& arg) { return arg == "--help" || arg == "-h"; }

// `sylvatone COMMAND --help`: true (after printing) when command is known and
// one of its arguments asks for help.
bool commandHelp(const std::string& command, int argc, char** argv)
{
    bool asked = false;
    for (int i = 2; i < argc; ++i)
        asked = asked || isHelp(argv[i]);
    if (!asked)
        return false;
    for (const CommandHelp& c : kCommands)
        if (command == c.name) {
            std::cout << "usage: sylvatone " << (c.text + 2) << '\n';
            for (const OptionHelp& o : kOptions)
                if (strstr(c.options, (std::string(o.name) + ' ').c_str()))
                    std::cout << o.text;
            return true;
        }
    return false;
}

int infoCommand(ArgList& args)
{
    PluginOptions options;
    while (!args.empty()) {
        std::string arg = args.take();
        if (takePluginOption(arg, args, options))
            continue;
        throw UsageError("unknown option for info: " + arg);
    }
    auto host = loadPlugin(options);
    host->start(44100.0f, 512);
    applyPluginOptions(*host, options);
    std::cout << "plug-in:   "
              << (options.pluginPath.empty() ? defaultPluginPath() : options.pluginPath) << '\n';
    printPluginInfo(*host, std::cout, options.userDefaults);
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        usage(std::cerr);
        return 2;
    }
    std::string command = argv[1];
    if (isHelp(command) || command == "help") {
        usage(std::cout);
        return 0;
    }
    if (commandHelp(command, argc, argv))
        return 0;
    removePendingFilesOnSignals();
    ArgList args(argc, argv, 2);
    try {
        if (command == "info")
            return infoCommand(args);
        if (command == "render")
            return renderCommand(args);
        if (command == "response")
            return responseCommand(args);
        if (command == "demo")
            return demoCommand(args);
        if (command == "snapshot")
            return snapshotCommand(args);
        throw UsageError("unknown command: " + command + " (sylvatone --help lists them)");
    } catch (const UsageError& e) {
        std::cerr << "sylvatone: " << e.what() << '\n';
        return 2;
    } catch (const HostError& e) {
        std::cerr << "sylvatone: " << e.what() << '\n';
        return 1;
    } catch (const std::exception& e) {
        std::cerr << "sylvatone: " << e.what() << '\n';
        return 1;
    }
}
