#include "host/Options.h"

#include "host/PresetOptions.h"

#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdlib>

#include "host/HostError.h"
#include "host/ParameterValues.h"
#include "host/PluginHost.h"
#include "host/ProgramSelect.h"

namespace {

std::string trimmed(const std::string& s)
{
    size_t begin = s.find_first_not_of(" \t");
    if (begin == std::string::npos)
        return "";
    return s.substr(begin, s.find_last_not_of(" \t") - begin + 1);
}

std::string lowered(std::string s)
{
    for (char& c : s)
        c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
    return s;
}

struct Setting {
    std::string name;
    float value;
    bool natural;  // written in the control's own terms, so Sylvatone's alone
};

// Splits NAME=VALUE; the value is a number from 0 to 1, or for Sylvatone's
// controls a value as the display shows it ("+3dB", "443Hz", "16k", "on").
Setting parseSetting(const std::string& text)
{
    size_t eq = text.rfind('=');
    std::string name = eq == std::string::npos ? "" : trimmed(text.substr(0, eq));
    if (name.empty())
        throw UsageError("--set wants NAME=VALUE, not \"" + text + "\"");
    std::string number = trimmed(text.substr(eq + 1));
    errno = 0;
    char* end = nullptr;
    double value = number.empty() ? NAN : strtod(number.c_str(), &end);
    if (!number.empty() && *end == '\0' && errno == 0 && std::isfinite(value) && value >= 0.0 &&
        value <= 1.0 && number[0] != '+' && number[0] != '-')
        return {name, static_cast<float>(value), false};
    if (const parameter_values::Table* table = parameter_values::tableFor(name)) {
        float normalised = 0;
        if (parameter_values::naturalValue(*table, number, &normalised))
            return {name, normalised, true};
        throw UsageError("--set " + text + ": " + table->name + " takes " +
                         parameter_values::allowedValues(*table) + ", or a number from 0 to 1");
    }
    throw UsageError("--set " + text + ": the value must be a number from 0 to 1");
}

int resolveParameter(PluginHost& host, const std::string& name)
{
    int32_t count = host.effect()->numParams;
    bool number = name.size() < 6;
    for (char c : name)
        number = number && isdigit(static_cast<unsigned char>(c));
    if (number) {
        int index = std::stoi(name);
        if (index < count)
            return index;
        throw HostError("no parameter " + name + " (indexes run from 0 to " +
                        std::to_string(count - 1) + ")");
    }
    std::string wanted = lowered(name);
    for (int32_t i = 0; i < count; ++i)
        if (lowered(host.paramName(i)) == wanted)
            return i;
    throw HostError("no parameter named \"" + name + "\" (`sylvatone info` lists them)");
}

}  // namespace

ArgList::ArgList(int argc, char** argv, int first)
{
    for (int i = first; i < argc; ++i)
        args.emplace_back(argv[i]);
}

std::string ArgList::valueOf(const std::string& option)
{
    if (empty())
        throw UsageError(option + " needs a value");
    return take();
}

bool takePluginOption(const std::string& arg, ArgList& args, PluginOptions& options)
{
    if (arg == "--plugin") {
        options.pluginPath = args.valueOf(arg);
    } else if (arg == "--state") {
        options.stateFile = args.valueOf(arg);
    } else if (arg == "--preset") {
        options.presetFile = args.valueOf(arg);
    } else if (arg == "--bank") {
        options.bankFile = args.valueOf(arg);
    } else if (arg == "--program") {
        options.program = args.valueOf(arg);
        if (options.program.empty())
            throw UsageError("--program needs a number or a name");
    } else if (arg == "--user-defaults") {
        options.userDefaults = true;
    } else if (arg == "--set") {
        options.settings.push_back(args.valueOf(arg));
        parseSetting(options.settings.back());
    } else {
        return false;
    }
    return true;
}

long parseWholeNumber(const std::string& text, long lo, long hi, const std::string& what)
{
    errno = 0;
    char* end = nullptr;
    long value = text.empty() ? 0 : strtol(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || errno != 0 || value < lo || value > hi)
        throw UsageError(what + " must be a whole number from " + std::to_string(lo) + " to " +
                         std::to_string(hi) + ", not \"" + text + "\"");
    return value;
}

std::unique_ptr<PluginHost> loadPlugin(const PluginOptions& options)
{
    std::string path = options.pluginPath.empty() ? defaultPluginPath() : options.pluginPath;
    std::string error;
    auto host = PluginHost::load(path, &error);
    if (!host)
        throw HostError(error);
    host->recording = false;
    host->clearCalls();
    return host;
}

std::string applyPluginOptions(PluginHost& host, const PluginOptions& options)
{
    std::string title;
    if (!options.stateFile.empty())
        applyStateFile(host, options.stateFile);
    if (!options.bankFile.empty())
        applyPresetFile(host, options.bankFile, true);
    if (!options.presetFile.empty())
        applyPresetFile(host, options.presetFile, false);
    // Sylvatone starts from the defaults the user stored; a run without them
    // starts from the factory's first program, so it gives the same result
    // for everyone.
    const bool fromFiles =
        !options.stateFile.empty() || !options.bankFile.empty() || !options.presetFile.empty();
    std::string program = options.program;
    if (program.empty() && !fromFiles && !options.userDefaults && isSylvatone(host.effect()))
        program = "0";
    if (!program.empty()) {
        int n = resolveProgram(host, program, options.userDefaults);
        if (!selectInternalProgram(host, n, options.userDefaults))
            throw HostError("the plug-in cannot select program " + std::to_string(n));
        title = programNames(host, options.userDefaults)[static_cast<size_t>(n)];
    } else {
        title = host.programName();
    }
    for (const std::string& text : options.settings) {
        Setting s = parseSetting(text);
        if (s.natural && !isSylvatone(host.effect()))
            throw HostError("--set " + text + ": only Sylvatone's controls take values in their "
                            "own units; give this plug-in a number from 0 to 1");
        host.setParameter(resolveParameter(host, s.name), s.value);
        title +=
            (title.empty() ? "" : ", ") + s.name + "=" + trimmed(text.substr(text.rfind('=') + 1));
    }
    return title;
}
