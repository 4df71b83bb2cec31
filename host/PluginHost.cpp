#include "host/PluginHost.h"

#include <dlfcn.h>
#include <unistd.h>

#include <climits>
#include <cstring>

namespace {

// The host being built while VSTPluginMain runs: the plug-in calls back
// before its record is known to us.
thread_local PluginHost* loadingHost = nullptr;

}  // namespace

std::string defaultPluginPath()
{
    char exe[PATH_MAX] = {};
    ssize_t n = readlink("/proc/self/exe", exe, sizeof exe - 1);
    std::string dir = n > 0 ? std::string(exe, static_cast<size_t>(n)) : std::string("./x");
    dir = dir.substr(0, dir.find_last_of('/'));
    return dir + "/Sylvatone.vst/Contents/x86_64-linux/Sylvatone.so";
}

std::unique_ptr<PluginHost> PluginHost::load(const std::string& path, std::string* error)
{
    std::unique_ptr<PluginHost> host(new PluginHost());
    host->library = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!host->library) {
        if (error)
            *error = std::string("cannot load plug-in: ") + dlerror();
        return nullptr;
    }
    auto entry = reinterpret_cast<EntryProc>(dlsym(host->library, "VSTPluginMain"));
    if (!entry)
        entry = reinterpret_cast<EntryProc>(dlsym(host->library, "main"));
    if (!entry) {
        if (error)
            *error = "not a VST 2.4 plug-in (no VSTPluginMain): " + path;
        return nullptr;
    }
    if (!host->instantiate(entry)) {
        if (error)
            *error = "the plug-in refused to load: " + path;
        return nullptr;
    }
    return host;
}

std::unique_ptr<PluginHost> PluginHost::fromEntry(EntryProc entry, std::string* error)
{
    std::unique_ptr<PluginHost> host(new PluginHost());
    if (!entry || !host->instantiate(entry)) {
        if (error)
            *error = "the plug-in refused to start";
        return nullptr;
    }
    return host;
}

bool PluginHost::instantiate(EntryProc entry)
{
    loadingHost = this;
    AEffect* effect = entry(&PluginHost::callback);
    loadingHost = nullptr;
    if (!effect || effect->magic != kEffectMagic)
        return false;
    fx = effect;
    effect->user = this;
    return true;
}

PluginHost::~PluginHost()
{
    close();
    if (library)
        dlclose(library);
}

intptr_t PluginHost::callback(AEffect* effect, int32_t opcode, int32_t index, intptr_t value,
                              void* ptr, float opt)
{
    PluginHost* host = effect && effect->user ? static_cast<PluginHost*>(effect->user) : loadingHost;
    return host ? host->answer(effect, opcode, index, value, ptr, opt) : 0;
}

intptr_t PluginHost::answer(AEffect* effect, int32_t opcode, int32_t index, intptr_t value,
                            void* /*ptr*/, float opt)
{
    if (recording)
        recorded.push_back({opcode, index, value, opt, effect != nullptr});
    switch (opcode) {
    case audioMasterVersion:
        return versionAnswer;
    case audioMasterGetBlockSize:
        return blockSizeAnswer;
    case audioMasterPinConnected:
        if (index == 1)
            return (value == 0 ? input1Connected : output1Connected) ? 0 : 1;
        return 0;
    default:
        return 0;
    }
}

intptr_t PluginHost::dispatch(int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt)
{
    return fx ? fx->dispatcher(fx, opcode, index, value, ptr, opt) : 0;
}

void PluginHost::start(float sampleRate, int32_t blockSize)
{
    dispatch(effOpen);
    dispatch(effSetSampleRate, 0, 0, nullptr, sampleRate);
    dispatch(effSetBlockSize, 0, blockSize);
    dispatch(effMainsChanged, 0, 1);
}

void PluginHost::close()
{
    if (!fx)
        return;
    dispatch(effMainsChanged, 0, 0);
    fx->dispatcher(fx, effClose, 0, 0, nullptr, 0.0f);
    fx = nullptr;
}

// Asks for a text into a roomy buffer and keeps what the plug-in wrote
// within the room the host convention gives.
std::string PluginHost::text(int32_t opcode, int32_t index, size_t room)
{
    char buffer[512];
    memset(buffer, 0, sizeof buffer);
    dispatch(opcode, index, 0, buffer);
    return std::string(buffer, strnlen(buffer, room));
}

std::string PluginHost::effectName() { return text(effGetEffectName, 0, 64); }
std::string PluginHost::vendorString() { return text(effGetVendorString, 0, 64); }
std::string PluginHost::productString() { return text(effGetProductString, 0, 64); }
std::string PluginHost::paramName(int32_t index) { return text(effGetParamName, index, 64); }
std::string PluginHost::paramDisplay(int32_t index) { return text(effGetParamDisplay, index, 64); }
std::string PluginHost::paramLabel(int32_t index) { return text(effGetParamLabel, index, 64); }
std::string PluginHost::programName() { return text(effGetProgramName, 0, 64); }

bool PluginHost::programNameIndexed(int32_t index, std::string* name)
{
    char buffer[512] = {};
    if (dispatch(effGetProgramNameIndexed, index, 0, buffer) == 0)
        return false;
    *name = std::string(buffer, strnlen(buffer, 64));
    return true;
}

void PluginHost::setParameter(int32_t index, float value)
{
    if (fx)
        fx->setParameter(fx, index, value);
}

float PluginHost::getParameter(int32_t index)
{
    return fx ? fx->getParameter(fx, index) : 0.0f;
}
