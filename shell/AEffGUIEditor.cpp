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

namespace {

// The host's key record as the toolkit's: the same fields and values.
constexpr bool same(int vst, int toolkit) { return vst == toolkit; }
static_assert(same(VKEY_BACK, kVKeyBack) && same(VKEY_PAGEDOWN, kVKeyPageDown) && same(VKEY_HELP, kVKeyHelp) &&
                  same(MODIFIER_SHIFT, kModifierShift) && same(MODIFIER_CONTROL, kModifierControl),
              "the toolkit's keys keep the host's values");

CKeyCode toolkitKey(const VstKeyCode& key)
{
    return CKeyCode{key.character, key.virt, key.modifier};
}

}  // namespace

bool AEffGUIEditor::onKeyDown(VstKeyCode& key)
{
    CKeyCode k = toolkitKey(key);
    return frame && frame->onKeyDown(k) > 0;
}

bool AEffGUIEditor::onKeyUp(VstKeyCode& key)
{
    CKeyCode k = toolkitKey(key);
    return frame && frame->onKeyUp(k) > 0;
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
