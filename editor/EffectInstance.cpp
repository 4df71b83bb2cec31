// The plug-in as a host gets it: the equaliser effect with its window.
#include "editor/ADEditor.h"
#include "plugin/Sylvatone.h"

AudioEffect* createEffectInstance(audioMasterCallback audioMaster)
{
    if (!audioMaster || audioMaster(nullptr, audioMasterVersion, 0, 0, nullptr, 0.0f) == 0)
        return nullptr;
    auto* effect = new Sylvatone(audioMaster);
    new ADEditor(effect);  // the effect owns it from here on
    return effect;
}
