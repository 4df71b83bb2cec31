// Command-line pieces the commands share: walking the arguments, the
// plug-in options (--plugin, --program, --set) and putting them into effect.
#pragma once

#include <memory>
#include <string>
#include <vector>

class PluginHost;

struct PluginOptions {
    std::string pluginPath;             // empty: the bundle built next to this program
    std::string stateFile;              // --state FILE: a saved state chunk
    std::string presetFile;             // --preset FILE.zym: one program from a preset file
    std::string bankFile;               // --bank FILE.zyb: program 0 of a bank file
    std::string program;                // --program N|NAME, empty when not given
    std::vector<std::string> settings;  // --set NAME=VALUE, in command-line order
    bool userDefaults = false;          // --user-defaults: the user's stored default bank
};

// The arguments of one command, taken front to back.
class ArgList {
public:
    ArgList(int argc, char** argv, int first);
    explicit ArgList(std::vector<std::string> args) : args(std::move(args)) {}

    bool empty() const { return at >= args.size(); }
    std::string take() { return args[at++]; }
    // The argument after option; UsageError when there is none.
    std::string valueOf(const std::string& option);

private:
    std::vector<std::string> args;
    size_t at = 0;
};

// Takes arg (and its value from args) when it is --plugin, --state,
// --preset, --bank, --program, --set or --user-defaults; false for anything else. A --set that is not NAME=VALUE with VALUE
// from 0 to 1 is a UsageError.
bool takePluginOption(const std::string& arg, ArgList& args, PluginOptions& options);

// A whole number from lo to hi, or a UsageError about what.
long parseWholeNumber(const std::string& text, long lo, long hi, const std::string& what);

// Loads the plug-in the options name; HostError when it cannot be loaded.
// Recording of callbacks is off, so processing allocates nothing in the host.
std::unique_ptr<PluginHost> loadPlugin(const PluginOptions& options);

// Applies --state, --bank, --preset, --program, then every --set in order,
// to a started plug-in.
// Parameters are named as the plug-in names them (without regard to case)
// or by index. Returns a title for what is in effect: the program name,
// followed by the settings. Throws HostError for unknown names.
std::string applyPluginOptions(PluginHost& host, const PluginOptions& options);
