#include "shell/AEffGUIEditor.h"

#include "gui/CFrame.h"
#include "shell/AudioEffect.h"
#include "shell/BundleReference.h"

std::atomic<int32_t> AEffGUIEditor::knobMode{0};

AEffGUIEditor::AEffGUIEditor(AudioEffect* owner) : AEffEditor(owner)
{
    if (effect)
        effect->setEditor(this);
    InitMachOLibrary();
}

AEffGUIEditor::~AEffGUIEditor()
{
    closeFrame();
    ExitMachOLibrary();
}

bool AEffGUIEditor::getRect(ERect** r)
{
    *r = &rect;
    return true;
}

void AEffGUIEditor::closeFrame()
{
    if (frame) {
        CFrame* closing = frame;
        frame = nullptr;
        closing->close();  // releases the views, the window and the frame
    }
}

void AEffGUIEditor::close()
{
    closeFrame();
    AEffEditor::close();
}

void AEffGUIEditor::idle()
{
    if (frame)
        frame->idle();
}

bool AEffGUIEditor::onKeyDown(VstKeyCode& key)
{
    return frame && frame->onKeyDown(key) > 0;
}

bool AEffGUIEditor::onKeyUp(VstKeyCode& key)
{
    return frame && frame->onKeyUp(key) > 0;
}

bool AEffGUIEditor::setKnobMode(int32_t mode)
{
    knobMode.store(mode, std::memory_order_relaxed);
    return true;
}

void AEffGUIEditor::beginEdit(long index)
{
    if (effect)
        effect->beginEdit(static_cast<int32_t>(index));
}

void AEffGUIEditor::endEdit(long index)
{
    if (effect)
        effect->endEdit(static_cast<int32_t>(index));
}
