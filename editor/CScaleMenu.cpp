#include "editor/CScaleMenu.h"

#include "gui/CFrame.h"

CScaleMenu::CScaleMenu(const CRect& size, CControlListener* listener, long tag)
    : COptionMenu(size, listener, tag, nullptr, nullptr, kNoDrawStyle)
{
}

CMouseEventResult CScaleMenu::onMouseDown(CPoint& where, const long& buttons)
{
    // Only the bare panel: a right click on a control is the control's.
    if (!(buttons & kRButton) || !pParentFrame || pParentFrame->getViewAt(where) != this)
        return kMouseEventNotHandled;
    return popUpAt(where, buttons);
}

CMouseEventResult CScaleMenu::popUpAt(CPoint& where, const long& buttons)
{
    // The list opens below the menu's rectangle: for a moment that is the
    // point under the mouse.
    const CRect whole = getViewSize();
    setViewSize(CRect(where.x, where.y, where.x + 1, where.y + 1));
    const long left = kLButton | (buttons & ~kRButton);
    const CMouseEventResult result = COptionMenu::onMouseDown(where, left);
    setViewSize(whole);
    return result;
}

void CScaleMenu::draw(CDrawContext* /*context*/)
{
    setDirty(false);
}
