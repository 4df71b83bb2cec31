#include "gui/CView.h"

#include "gui/CBitmap.h"
#include "gui/CFrame.h"

CView::CView(const CRect& size) : size(size), mouseableArea(size) {}

CView::CView(const CView& view)
    : CBaseObject(view),
      size(view.size),
      mouseableArea(view.mouseableArea),
      pBackground(view.pBackground),
      bTransparencyEnabled(view.bTransparencyEnabled),
      bDirty(true)
{
    if (pBackground)
        pBackground->remember();
}

CView::~CView()
{
    if (pBackground)
        pBackground->forget();
}

void CView::draw(CDrawContext* context)
{
    if (pBackground)
        pBackground->draw(context, size);
    setDirty(false);
}

void CView::drawRect(CDrawContext* context, const CRect& /*updateRect*/)
{
    draw(context);
}

void CView::invalidRect(const CRect& rect)
{
    if (!pParentFrame)
        return;
    const CPoint origin = parentOriginInFrame();
    CRect r = rect;
    r.offset(origin.x, origin.y);
    pParentFrame->invalidRect(r);
}

CMouseEventResult CView::onMouseDown(CPoint&, const long&)
{
    return kMouseEventNotImplemented;
}

CMouseEventResult CView::onMouseUp(CPoint&, const long&)
{
    return kMouseEventNotImplemented;
}

CMouseEventResult CView::onMouseMoved(CPoint&, const long&)
{
    return kMouseEventNotImplemented;
}

CMouseEventResult CView::onMouseEntered(CPoint&, const long&)
{
    return kMouseEventNotImplemented;
}

CMouseEventResult CView::onMouseExited(CPoint&, const long&)
{
    return kMouseEventNotImplemented;
}

bool CView::onWheel(const CPoint&, const float&, const long&)
{
    return false;
}

long CView::onKeyDown(CKeyCode&)
{
    return -1;
}

long CView::onKeyUp(CKeyCode&)
{
    return -1;
}

void CView::setViewSize(const CRect& rect, bool invalidate)
{
    if (invalidate)
        invalid();
    size = rect;
    mouseableArea = rect;
    if (invalidate)
        invalid();
}

CPoint CView::parentOriginInFrame() const
{
    CPoint origin;
    for (const CView* v = pParentView; v && v != pParentFrame; v = v->pParentView)
        origin.offset(v->size.left, v->size.top);
    return origin;
}

CPoint& CView::localToFrame(CPoint& point) const
{
    const CPoint origin = parentOriginInFrame();
    return point.offset(origin.x, origin.y);
}

CPoint& CView::frameToLocal(CPoint& point) const
{
    const CPoint origin = parentOriginInFrame();
    return point.offset(-origin.x, -origin.y);
}

void CView::setBackground(CBitmap* background)
{
    if (background == pBackground)
        return;
    if (background)
        background->remember();
    if (pBackground)
        pBackground->forget();
    pBackground = background;
    setDirty(true);
}

bool CView::attached(CView* parent)
{
    pParentView = parent;
    pParentFrame = parent ? parent->getFrame() : nullptr;
    return true;
}

bool CView::removed(CView* /*parent*/)
{
    pParentView = nullptr;
    pParentFrame = nullptr;
    return true;
}
