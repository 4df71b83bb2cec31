#include "presets/CPresetSystemEditor.h"

#include "presets/CPresetSystemEffect.h"

CPresetSystemEditor::CPresetSystemEditor(CPresetSystemEffect* effect)
    : AEffGUIEditor(effect), presetEffect(effect)
{
}

long CPresetSystemEditor::BankToBuffer(char** out)
{
    if (out)
        *out = nullptr;
    return 0;
}
