#include "gui/CControl.h"

#include "gui/CFrame.h"
#include "gui/VSTGUIEditorInterface.h"

CControl::CControl(const CRect& size, CControlListener* listener, long tag, CBitmap* background)
    : CView(size), listener(listener), tag(tag)
{
    if (background)
        setBackground(background);
    setDirty(false);
}

void CControl::bounceValue()
{
    if (value > vmax)
        value = vmax;
    else if (value < vmin)
        value = vmin;
}

void CControl::beginEdit()
{
    if (pParentFrame && pParentFrame->getEditor())
        pParentFrame->getEditor()->beginEdit(tag);
}

void CControl::endEdit()
{
    if (pParentFrame && pParentFrame->getEditor())
        pParentFrame->getEditor()->endEdit(tag);
}

void CControl::valueChanged()
{
    if (listener)
        listener->valueChanged(this);
}

bool CControl::isDirty() const
{
    return value != oldValue || CView::isDirty();
}

void CControl::setDirty(bool state)
{
    CView::setDirty(state);
    if (!state)
        oldValue = value;
}

float CControl::normalizedValue() const
{
    const float range = vmax - vmin;
    return range != 0.f ? (value - vmin) / range : 0.f;
}
