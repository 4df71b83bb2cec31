#include "host/HostInfo.h"

#include <cstdio>
#include <string>
#include <vector>

#include "host/ParameterValues.h"
#include "host/PluginHost.h"
#include "host/ProgramSelect.h"

namespace {

std::string fourCC(int32_t id)
{
    std::string s;
    for (int shift = 24; shift >= 0; shift -= 8) {
        char c = static_cast<char>((static_cast<uint32_t>(id) >> shift) & 0xff);
        s += (c >= 32 && c < 127) ? c : '?';
    }
    return s;
}

std::string flagNames(int32_t flags)
{
    static const struct {
        int32_t bit;
        const char* name;
    } kFlags[] = {{effFlagsHasEditor, "editor"},
                  {effFlagsCanReplacing, "32-bit"},
                  {effFlagsCanDoubleReplacing, "64-bit"},
                  {effFlagsProgramChunks, "chunks"},
                  {effFlagsIsSynth, "synth"},
                  {effFlagsNoSoundInStop, "no-sound-in-stop"}};
    std::string s;
    for (const auto& f : kFlags)
        if (flags & f.bit)
            s += (s.empty() ? "" : ", ") + std::string(f.name);
    return s;
}

const char* categoryName(intptr_t category)
{
    static const char* const kNames[] = {"unknown", "effect", "synth", "analysis",
                                         "mastering", "spatialiser", "room", "surround",
                                         "restoration", "offline", "shell", "generator"};
    return category >= 0 && category < 12 ? kNames[category] : "unknown";
}

void printPins(PluginHost& host, std::ostream& out, int32_t opcode, int32_t count, const char* what)
{
    for (int32_t i = 0; i < count; ++i) {
        VstPinProperties pin{};
        if (host.dispatch(opcode, i, 0, &pin) == 0) {
            out << "  " << what << ' ' << i << ": (no properties)\n";
            continue;
        }
        pin.label[sizeof pin.label - 1] = 0;
        out << "  " << what << ' ' << i << ": \"" << pin.label << "\""
            << ((pin.flags & kVstPinIsStereo) ? " stereo" : "")
            << ((pin.flags & kVstPinIsActive) ? " active" : " inactive") << '\n';
    }
}

}  // namespace

void printPluginInfo(PluginHost& host, std::ostream& out, bool userDefaults)
{
    const AEffect* fx = host.effect();
    if (!fx)
        return;
    out << "name:      " << host.effectName() << '\n'
        << "product:   " << host.productString() << '\n'
        << "vendor:    " << host.vendorString() << " (version "
        << host.dispatch(effGetVendorVersion) << ")\n"
        << "unique ID: '" << fourCC(fx->uniqueID) << "'\n"
        << "VST:       " << host.dispatch(effGetVstVersion) << ", category "
        << categoryName(host.dispatch(effGetPlugCategory)) << '\n'
        << "flags:     " << flagNames(fx->flags) << " (" << fx->flags << ")\n";

    ERect* rect = nullptr;
    if (host.dispatch(effEditGetRect, 0, 0, &rect) && rect)
        out << "editor:    " << (rect->right - rect->left) << " x " << (rect->bottom - rect->top)
            << '\n';

    out << "inputs:    " << fx->numInputs << '\n';
    printPins(host, out, effGetInputProperties, fx->numInputs, "in ");
    out << "outputs:   " << fx->numOutputs << '\n';
    printPins(host, out, effGetOutputProperties, fx->numOutputs, "out");
    out << "latency:   " << fx->initialDelay << " samples\n"
        << "tail:      " << host.dispatch(effGetTailSize) << " samples\n";

    out << "parameters: " << fx->numParams << '\n';
    for (int32_t i = 0; i < fx->numParams; ++i) {
        char line[128];
        std::string name = host.paramName(i);
        std::string display = host.paramDisplay(i);
        snprintf(line, sizeof line, "  %2d  %-8s %-8s", i, name.empty() ? "-" : name.c_str(),
                 display.c_str());
        const parameter_values::Table* table =
            isSylvatone(fx) ? parameter_values::tableFor(i) : nullptr;
        std::string values = table ? "  " + parameter_values::allowedValues(*table) : "";
        std::string text = line + values;
        text.erase(text.find_last_not_of(' ') + 1);
        out << text << '\n';
    }

    out << "host programs: " << fx->numPrograms << " (current: \"" << host.programName() << "\")\n";
    out << "programs:\n";
    const std::vector<std::string> names = programNames(host, userDefaults);
    for (size_t i = 0; i < names.size(); ++i)
        out << "  " << i << "  " << names[i] << '\n';
}
