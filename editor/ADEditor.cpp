#include "editor/ADEditor.h"

#include "gui/CBitmap.h"
#include "gui/CKnob.h"
#include "shell/MyFrame.h"

namespace {
constexpr int kBackgroundBitmap = 11500;
}  // namespace

ADEditor::ADEditor(CPresetSystemEffect* effect) : CPresetSystemEditor(effect)
{
    rect.top = 0;
    rect.left = 0;
    rect.bottom = 187;
    rect.right = 782;
}

bool ADEditor::open(void* ptr)
{
    if (frame)
        close();
    AEffEditor::open(ptr);

    CBitmap* background = new CBitmap(CResourceDescription(kBackgroundBitmap));
    // Without its picture the window keeps the editor's own size.
    const CCoord width = background->isLoaded() ? background->getWidth() : rect.right - rect.left;
    const CCoord height = background->isLoaded() ? background->getHeight() : rect.bottom - rect.top;
    CRect size(rect.left, rect.top, rect.left + width, rect.top + height);
    auto* newFrame = new MyFrame(size, ptr, this);
    if (ptr && !newFrame->isWindowOpen()) {
        // No display, or a parent window that does not exist.
        newFrame->close();
        background->forget();
        AEffEditor::close();
        return false;
    }
    frame = newFrame;
    frame->setBackground(background);
    background->forget();
    setKnobMode(kLinearMode);
    frame->invalid();
    return true;
}

void ADEditor::close()
{
    closeFrame();
    AEffEditor::close();
}

void ADEditor::setParameter(int32_t /*index*/, float /*value*/) {}
