#include "host/ProgramSelect.h"

#include <algorithm>
#include <cctype>

#include "engine/FactoryPresets.h"
#include "host/HostError.h"
#include "host/PluginHost.h"
#include "host/PresetOptions.h"

namespace {

constexpr int32_t kMaxPrograms = 128;

bool sameIgnoringCase(const std::string& a, const std::string& b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (tolower(static_cast<unsigned char>(a[i])) != tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

// Sylvatone's bank as --program sees it.
struct Bank {
    ProgramRecord programs[kNumPrograms];

    explicit Bank(bool userDefaults)
    {
        if (userDefaults)
            userDefaultBank(programs);
        else
            std::copy(factoryPrograms(), factoryPrograms() + kNumPrograms, programs);
    }
    std::string name(int n) const
    {
        const char* s = programs[n].name;
        return std::string(s, std::find(s, s + kProgramNameSize, '\0'));
    }
};

}  // namespace

bool isSylvatone(const AEffect* fx)
{
    return fx && fx->uniqueID == kSylvatoneId && fx->numParams == kNumProgramParams;
}

std::vector<std::string> programNames(PluginHost& host, bool userDefaults)
{
    std::vector<std::string> names;
    if (isSylvatone(host.effect())) {
        Bank bank(userDefaults);
        for (int n = 0; n < kNumPrograms; ++n)
            names.push_back(bank.name(n));
        return names;
    }
    std::string name;
    for (int32_t i = 0; i < kMaxPrograms && host.programNameIndexed(i, &name); ++i)
        names.push_back(name);
    return names;
}

int resolveProgram(PluginHost& host, const std::string& wanted, bool userDefaults)
{
    std::vector<std::string> names = programNames(host, userDefaults);
    bool number = !wanted.empty() && wanted.size() < 4;
    for (char c : wanted)
        number = number && isdigit(static_cast<unsigned char>(c));
    if (number) {
        int n = std::stoi(wanted);
        if (n < static_cast<int>(names.size()))
            return n;
    } else {
        for (size_t i = 0; i < names.size(); ++i)
            if (sameIgnoringCase(names[i], wanted))
                return static_cast<int>(i);
    }
    std::string choices;
    for (size_t i = 0; i < names.size(); ++i)
        choices += (i ? ", " : "") + std::to_string(i) + " \"" + names[i] + "\"";
    throw HostError("no program \"" + wanted + "\"" +
                    (choices.empty() ? " (the plug-in names none)" : "; choose one of " + choices));
}

bool selectInternalProgram(PluginHost& host, int n, bool userDefaults)
{
    AEffect* fx = host.effect();
    if (!fx || n < 0)
        return false;
    if (isSylvatone(fx)) {
        // The plug-in offers hosts no way to select its programs, so the
        // host applies their values itself: the factory bank from the same
        // source the plug-in is built from, or the user's stored one.
        if (n >= kNumPrograms)
            return false;
        Bank bank(userDefaults);
        for (int32_t i = 0; i < kNumProgramParams; ++i)
            host.setParameter(i, bank.programs[n].params[i]);
        std::string name = bank.name(n);
        host.dispatch(effSetProgramName, 0, 0, &name[0]);
        return true;
    }
    if (n >= fx->numPrograms)
        return false;
    host.dispatch(effSetProgram, 0, n);
    return true;
}
