#include "editor/ADEditor.h"

ADEditor::ADEditor(CPresetSystemEffect* effect) : CPresetSystemEditor(effect)
{
    rect.top = 0;
    rect.left = 0;
    rect.bottom = 187;
    rect.right = 782;
}

bool ADEditor::open(void* ptr)
{
    AEffEditor::open(ptr);
    return true;
}

void ADEditor::close()
{
    AEffEditor::close();
}

void ADEditor::setParameter(int32_t /*index*/, float /*value*/) {}
