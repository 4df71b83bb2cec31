#include "presets/CMemoryMark.h"

#include "gui/CDrawContext.h"

void CMemoryMark::setLit(bool on)
{
    if (on == lit)
        return;
    lit = on;
    invalid();
}

void CMemoryMark::draw(CDrawContext* context)
{
    if (lit) {
        context->setFillColor(CColor(120, 220, 90, 255));
        context->setFrameColor(CColor(30, 60, 20, 255));
        context->setLineWidth(1);
        context->drawRect(size, kDrawFilledAndStroked);
    }
    setDirty(false);
}
