#include "gui/CViewContainer.h"

#include <algorithm>

#include "gui/CBitmap.h"
#include "gui/CDrawContext.h"
#include "gui/CFrame.h"

namespace {
bool wanted(CMouseEventResult r)
{
    return r != kMouseEventNotHandled && r != kMouseEventNotImplemented;
}
} // namespace

CViewContainer::CViewContainer(const CRect& size) : CView(size) {}

CViewContainer::~CViewContainer()
{
    removeAll(true);
}

bool CViewContainer::addView(CView* view)
{
    if (!view || view == this || isChild(view) || view->isAttached())
        return false;
    children.push_back(view);
    view->attached(this);
    view->invalid();
    return true;
}

bool CViewContainer::removeView(CView* view, bool withForget)
{
    auto it = std::find(children.begin(), children.end(), view);
    if (it == children.end())
        return false;
    view->invalid();
    children.erase(it);
    if (mouseDownView == view)
        mouseDownView = nullptr;
    if (mouseOverView == view)
        mouseOverView = nullptr;
    if (pParentFrame)
        pParentFrame->viewWillBeRemoved(view);
    view->removed(this);
    if (withForget)
        view->forget();
    return true;
}

bool CViewContainer::removeAll(bool withForget)
{
    while (!children.empty())
        removeView(children.back(), withForget);
    return true;
}

bool CViewContainer::isChild(const CView* view) const
{
    return std::find(children.begin(), children.end(), view) != children.end();
}

CView* CViewContainer::getView(long index) const
{
    if (index < 0 || index >= getNbViews())
        return nullptr;
    return children[static_cast<size_t>(index)];
}

CPoint CViewContainer::toChildCoordinates(const CPoint& where) const
{
    const CPoint origin = getChildOrigin();
    return CPoint(where.x - origin.x, where.y - origin.y);
}

CView* CViewContainer::getViewAt(const CPoint& where, bool deep) const
{
    const CPoint local = toChildCoordinates(where);
    for (auto it = children.rbegin(); it != children.rend(); ++it) {
        CView* v = *it;
        if (!v->getMouseableArea().pointInside(local))
            continue;
        if (deep) {
            if (auto* c = dynamic_cast<CViewContainer*>(v)) {
                if (CView* inner = c->getViewAt(local, true))
                    return inner;
            }
        }
        return v;
    }
    return nullptr;
}

void CViewContainer::invalidateDirtyViews()
{
    if (!pParentFrame)
        return;
    if (CView::isDirty()) {
        invalid();
        return;
    }
    const std::vector<CView*> snapshot = children;
    for (CView* v : snapshot) {
        if (!isChild(v))
            continue;
        if (auto* c = dynamic_cast<CViewContainer*>(v))
            c->invalidateDirtyViews();
        else if (v->isDirty())
            v->invalid();
    }
}

void CViewContainer::draw(CDrawContext* context)
{
    drawRect(context, size);
}

void CViewContainer::drawRect(CDrawContext* context, const CRect& updateRect)
{
    const CPoint origin = getChildOrigin();
    const CRect own(origin, CPoint(size.getWidth(), size.getHeight()));

    CRect oldClip;
    context->getClipRect(oldClip);
    CRect area = updateRect;
    area.bound(own).bound(oldClip);
    if (area.isEmpty())
        return;
    context->setClipRect(area);
    if (pBackground && pBackground->isLoaded()) {
        pBackground->draw(context, own);
    } else if (!bTransparencyEnabled) {
        context->setFillColor(backgroundColor);
        context->fillRect(own);
    }

    const CPoint oldOffset = context->getOffset();
    context->setOffset(CPoint(oldOffset.x + origin.x, oldOffset.y + origin.y));
    CRect localArea = area;
    localArea.offset(-origin.x, -origin.y);
    const std::vector<CView*> snapshot = children;
    for (CView* v : snapshot) {
        CRect r = v->getViewSize();
        r.bound(localArea);
        if (r.isEmpty())
            continue;
        context->setClipRect(r);
        v->drawRect(context, r);
    }
    context->setOffset(oldOffset);
    context->setClipRect(oldClip);
}

CView* CViewContainer::hoverTarget(const CPoint& local) const
{
    for (auto it = children.rbegin(); it != children.rend(); ++it)
        if ((*it)->getMouseableArea().pointInside(local))
            return *it;
    return nullptr;
}

void CViewContainer::updateMouseOver(const CPoint& local, const long& buttons)
{
    CView* target = hoverTarget(local);
    if (target != mouseOverView) {
        clearMouseOver(local, buttons);
        if (target) {
            mouseOverView = target;
            CPoint p = local;
            target->remember();
            target->onMouseEntered(p, buttons);
            target->forget();
        }
    }
    if (auto* c = dynamic_cast<CViewContainer*>(mouseOverView))
        c->updateMouseOver(c->toChildCoordinates(local), buttons);
}

void CViewContainer::clearMouseOver(const CPoint& local, const long& buttons)
{
    CView* old = mouseOverView;
    if (!old)
        return;
    mouseOverView = nullptr;
    old->remember();
    if (auto* c = dynamic_cast<CViewContainer*>(old))
        c->clearMouseOver(c->toChildCoordinates(local), buttons);
    CPoint p = local;
    old->onMouseExited(p, buttons);
    old->forget();
}

CMouseEventResult CViewContainer::dispatchToTopmost(const CPoint& local, const long& buttons,
                                                    bool down)
{
    const std::vector<CView*> snapshot = children;
    for (auto it = snapshot.rbegin(); it != snapshot.rend(); ++it) {
        CView* v = *it;
        if (!isChild(v) || !v->getMouseableArea().pointInside(local))
            continue;
        CPoint p = local;
        v->remember();
        const CMouseEventResult r = down ? v->onMouseDown(p, buttons) : v->onMouseMoved(p, buttons);
        if (wanted(r)) {
            if (down && r == kMouseEventHandled && isChild(v))
                mouseDownView = v;
            v->forget();
            return r;
        }
        v->forget();
    }
    return kMouseEventNotHandled;
}

CMouseEventResult CViewContainer::sendToCapture(const CPoint& local, const long& buttons, bool up)
{
    CView* v = mouseDownView;
    CPoint p = local;
    v->remember();
    if (up)
        mouseDownView = nullptr;
    const CMouseEventResult r = up ? v->onMouseUp(p, buttons) : v->onMouseMoved(p, buttons);
    if (!up && mouseDownView == v &&
        (!wanted(r) || r == kMouseMoveEventHandledButDontNeedMoreEvents))
        mouseDownView = nullptr;
    v->forget();
    return r;
}

CMouseEventResult CViewContainer::onMouseDown(CPoint& where, const long& buttons)
{
    const CPoint local = toChildCoordinates(where);
    updateMouseOver(local, buttons);
    mouseDownView = nullptr;
    return dispatchToTopmost(local, buttons, true);
}

CMouseEventResult CViewContainer::onMouseMoved(CPoint& where, const long& buttons)
{
    const CPoint local = toChildCoordinates(where);
    updateMouseOver(local, buttons);
    if (mouseDownView)
        return sendToCapture(local, buttons, false);
    return dispatchToTopmost(local, buttons, false);
}

CMouseEventResult CViewContainer::onMouseUp(CPoint& where, const long& buttons)
{
    if (!mouseDownView)
        return kMouseEventNotHandled;
    return sendToCapture(toChildCoordinates(where), buttons, true);
}

CMouseEventResult CViewContainer::onMouseExited(CPoint& where, const long& buttons)
{
    clearMouseOver(toChildCoordinates(where), buttons);
    return kMouseEventHandled;
}

bool CViewContainer::onWheel(const CPoint& where, const float& distance, const long& buttons)
{
    const CPoint local = toChildCoordinates(where);
    const std::vector<CView*> snapshot = children;
    for (auto it = snapshot.rbegin(); it != snapshot.rend(); ++it) {
        CView* v = *it;
        if (!isChild(v) || !v->getMouseableArea().pointInside(local))
            continue;
        v->remember();
        const bool handled = v->onWheel(local, distance, buttons);
        v->forget();
        if (handled)
            return true;
    }
    return false;
}

bool CViewContainer::attached(CView* parent)
{
    CView::attached(parent);
    for (CView* v : children)
        v->attached(this);
    return true;
}

bool CViewContainer::removed(CView* parent)
{
    mouseDownView = nullptr;
    mouseOverView = nullptr;
    CView::removed(parent);
    // The children stay ours but no longer belong to a frame.
    for (CView* v : children)
        v->attached(this);
    return true;
}
