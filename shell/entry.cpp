// The one symbol the plug-in exports: hosts dlopen the bundle's .so and call
// VSTPluginMain once per instance.
#include <new>

#include "shell/AudioEffect.h"

extern "C" __attribute__((visibility("default"))) AEffect* VSTPluginMain(audioMasterCallback host)
{
    if (!host || host(nullptr, audioMasterVersion, 0, 0, nullptr, 0.0f) == 0)
        return nullptr;
    try {
        AudioEffect* effect = createEffectInstance(host);
        return effect ? effect->getAeffect() : nullptr;
    } catch (...) {
        // Nothing may escape into the host; a failed build is a refusal.
        return nullptr;
    }
}
