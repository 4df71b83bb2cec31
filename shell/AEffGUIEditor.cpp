#include "shell/AEffGUIEditor.h"

#include "shell/AudioEffect.h"

std::atomic<int32_t> AEffGUIEditor::knobMode{0};

AEffGUIEditor::AEffGUIEditor(AudioEffect* owner) : AEffEditor(owner)
{
    if (effect)
        effect->setEditor(this);
}

bool AEffGUIEditor::getRect(ERect** r)
{
    *r = &rect;
    return true;
}

bool AEffGUIEditor::setKnobMode(int32_t mode)
{
    knobMode.store(mode, std::memory_order_relaxed);
    return true;
}

void AEffGUIEditor::beginEdit(int32_t index)
{
    if (effect)
        effect->beginEdit(index);
}

void AEffGUIEditor::endEdit(int32_t index)
{
    if (effect)
        effect->endEdit(index);
}
