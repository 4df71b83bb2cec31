#include "host/PresetOptions.h"

#include <cstring>
#include <vector>

#include "engine/FactoryPresets.h"
#include "engine/Parameters.h"
#include "host/HostError.h"
#include "host/PluginHost.h"
#include "host/ProgramSelect.h"
#include "presets/PresetFiles.h"
#include "presets/XPlatFile.h"

namespace {

std::vector<char> readWhole(const std::string& path)
{
    std::vector<char> bytes;
    if (!XPlatReadFile(path, bytes, kMaxPresetFileSize))
        throw HostError("cannot read " + path);
    return bytes;
}

// The six programs the file is read into, starting from the factory bank
// the plug-in starts from.
class FileStore : public PresetStore {
public:
    FileStore()
    {
        memcpy(records, factoryPrograms(), sizeof records);
        templateProgram = records[0];
    }
    int32_t uniqueID() override { return kSylvatoneId; }
    long presetNo() override { return selected; }
    ProgramRecord* programs() override { return records; }
    bool isDummy(int index) override { return parameterIsDummy(index); }
    bool isDummyOld(int index) override { return isDummy(index); }
    const ProgramRecord& programTemplate() override { return templateProgram; }
    void setPresetName(const char*) override {}
    void setPresetNo(long n) override
    {
        if (n >= 0 && n < kNumPrograms)
            selected = n;
    }

    ProgramRecord records[kNumPrograms];
    ProgramRecord templateProgram;
    long selected = 0;
};

}  // namespace

void userDefaultBank(ProgramRecord* programs)
{
    FileStore store;
    loadDefaultBank(store, Preferences());
    memcpy(programs, store.records, sizeof store.records);
}

void applyStateFile(PluginHost& host, const std::string& path)
{
    std::vector<char> bytes = readWhole(path);
    if (host.dispatch(effSetChunk, 0, static_cast<intptr_t>(bytes.size()), bytes.data()) != 0)
        throw HostError("the plug-in refused the state in " + path);
}

void applyPresetFile(PluginHost& host, const std::string& path, bool bank)
{
    const AEffect* fx = host.effect();
    if (!isSylvatone(fx))
        throw HostError("preset files are Sylvatone's own; this plug-in cannot take " + path);
    std::vector<char> bytes = readWhole(path);
    FileStore store;
    if (!readPresetData(store, bytes.data(), bytes.size(), bank, false, true))
        throw HostError("not a Sylvatone " + std::string(bank ? "bank" : "preset") + " file: " + path);
    const ProgramRecord& program = store.records[store.selected];
    for (int32_t i = 0; i < kNumProgramParams; ++i)
        host.setParameter(i, program.params[i]);
    char name[kProgramNameSize + 1] = {};
    memcpy(name, program.name, kProgramNameSize);
    host.dispatch(effSetProgramName, 0, 0, name);
}
