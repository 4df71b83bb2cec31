// The LV2 edition's plug-in entry: the descriptor over EffectHost, and the
// state extension, which saves and restores the whole program store (all
// six programs with their names, and the selection) as the VST edition's
// state chunk.
#include <lv2/atom/atom.h>
#include <lv2/core/lv2.h>
#include <lv2/state/state.h>
#include <lv2/urid/urid.h>

#include <cstring>
#include <string>
#include <vector>

#include "lv2/EffectHost.h"
#include "lv2/Lv2Uris.h"
#include "plugin/Sylvatone.h"

namespace {

struct Instance {
    explicit Instance(double rate) : host(rate) {}
    EffectHost host;
    LV2_URID programsKey = 0;
    LV2_URID chunkType = 0;
};

LV2_Handle instantiate(const LV2_Descriptor*, double rate, const char*, const LV2_Feature* const* features)
{
    auto* self = new Instance(rate);
    if (!self->host.valid()) {
        delete self;
        return nullptr;
    }
    for (int i = 0; features && features[i]; ++i)
        if (strcmp(features[i]->URI, LV2_URID__map) == 0) {
            auto* map = static_cast<LV2_URID_Map*>(features[i]->data);
            self->programsKey = map->map(map->handle, lv2uris::kProgramsKey);
            self->chunkType = map->map(map->handle, LV2_ATOM__Chunk);
        }
    return self;
}

void connectPort(LV2_Handle handle, uint32_t port, void* data)
{
    static_cast<Instance*>(handle)->host.connect(port, data);
}

void activate(LV2_Handle handle)
{
    static_cast<Instance*>(handle)->host.activate();
}

void run(LV2_Handle handle, uint32_t frames)
{
    static_cast<Instance*>(handle)->host.run(frames);
}

void cleanup(LV2_Handle handle)
{
    delete static_cast<Instance*>(handle);
}

LV2_State_Status save(LV2_Handle handle, LV2_State_Store_Function store, LV2_State_Handle state, uint32_t,
                      const LV2_Feature* const*)
{
    auto* self = static_cast<Instance*>(handle);
    if (!self->programsKey)
        return LV2_STATE_ERR_NO_FEATURE;
    void* chunk = nullptr;
    const int32_t size = self->host.plugin().getChunk(&chunk, false);
    if (size <= 0 || !chunk)
        return LV2_STATE_ERR_UNKNOWN;
    return store(state, self->programsKey, chunk, static_cast<size_t>(size), self->chunkType,
                 LV2_STATE_IS_POD | LV2_STATE_IS_PORTABLE);
}

// Refused data (damaged, truncated, of another kind) changes nothing.
LV2_State_Status restore(LV2_Handle handle, LV2_State_Retrieve_Function retrieve, LV2_State_Handle state,
                         uint32_t, const LV2_Feature* const*)
{
    auto* self = static_cast<Instance*>(handle);
    if (!self->programsKey)
        return LV2_STATE_ERR_NO_FEATURE;
    size_t size = 0;
    uint32_t type = 0;
    uint32_t flags = 0;
    const void* data = retrieve(state, self->programsKey, &size, &type, &flags);
    if (!data)
        return LV2_STATE_ERR_NO_PROPERTY;
    if (type != self->chunkType)
        return LV2_STATE_ERR_BAD_TYPE;
    if (size > INT32_MAX)
        return LV2_STATE_ERR_UNKNOWN;
    std::vector<char> copy(static_cast<const char*>(data), static_cast<const char*>(data) + size);
    if (self->host.plugin().setChunk(copy.data(), static_cast<int32_t>(size), false) < 0)
        return LV2_STATE_ERR_UNKNOWN;
    return LV2_STATE_SUCCESS;
}

const void* extensionData(const char* uri)
{
    static const LV2_State_Interface state = {save, restore};
    return strcmp(uri, LV2_STATE__interface) == 0 ? &state : nullptr;
}

const LV2_Descriptor kDescriptor = {lv2uris::kPlugin, instantiate, connectPort, activate, run, nullptr,
                                    cleanup, extensionData};

}  // namespace

// The instance the window reaches through instance-access.
EffectHost& effectHostOf(LV2_Handle handle)
{
    return static_cast<Instance*>(handle)->host;
}

extern "C" LV2_SYMBOL_EXPORT const LV2_Descriptor* lv2_descriptor(uint32_t index)
{
    return index == 0 ? &kDescriptor : nullptr;
}
