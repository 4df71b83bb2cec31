#include "gui/CFrame.h"

#include <cmath>

#include <cairo.h>

#include "gui/CDrawContext.h"
#include "gui/X11Window.h"

namespace {
const long kMouseButtons = kLButton | kMButton | kRButton;

// Holds a reference for the length of a call, so that a handler that closes
// the frame does not pull it away from under the caller.
class KeepAlive {
public:
    explicit KeepAlive(CBaseObject* object) : object(object) { object->remember(); }
    ~KeepAlive() { object->forget(); }
    KeepAlive(const KeepAlive&) = delete;
    KeepAlive& operator=(const KeepAlive&) = delete;

private:
    CBaseObject* object;
};

// Beyond this many separate areas one covering area is cheaper to paint.
const size_t kMaxPendingAreas = 32;
} // namespace

CFrame::CFrame(const CRect& size, void* systemWindow, VSTGUIEditorInterface* editor, double scale)
    : CViewContainer(size), systemWindow(systemWindow), editor(editor), scale(scale > 0 ? scale : 1.0)
{
    pParentFrame = this;
    const CRect pixels = pixelsOf(CRect(0, 0, size.getWidth(), size.getHeight()));
    const int w = pixels.getWidth() > 1 ? static_cast<int>(pixels.getWidth()) : 1;
    const int h = pixels.getHeight() > 1 ? static_cast<int>(pixels.getHeight()) : 1;
    backBuffer = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h);
    if (systemWindow)
        window = X11Window::open(systemWindow, CRect(size.left, size.top, size.left + w, size.top + h));
    setDirty(true);
}

CRect CFrame::pixelsOf(const CRect& r) const
{
    if (scale == 1.0)
        return r;
    return CRect(std::floor(r.left * scale), std::floor(r.top * scale), std::ceil(r.right * scale),
                 std::ceil(r.bottom * scale));
}

CFrame::~CFrame()
{
    modalView = nullptr;
    focusView = nullptr;
    removeAll(true);
    window.reset();
    cairo_surface_destroy(backBuffer);
}

bool CFrame::isWindowOpen() const
{
    return window && !window->isBroken();
}

uint32_t CFrame::getWindowId() const
{
    return isWindowOpen() ? window->getWindowId() : 0;
}

void CFrame::close()
{
    if (closed)
        return;
    closed = true;
    // The editor is going away: drop focus without letting a text field commit.
    focusView = nullptr;
    modalView = nullptr;
    removeAll(true);
    window.reset();
    forget();
}

void CFrame::idle()
{
    invalidateDirtyViews();
}

void CFrame::invalidateDirtyViews()
{
    if (closed)
        return;
    KeepAlive alive(this);
    pumpEvents();
    if (!closed)
        redrawDirty();
}

void CFrame::redrawDirty()
{
    if (CView::isDirty())
        invalid();
    else
        CViewContainer::invalidateDirtyViews();
    renderPending();
}

void CFrame::invalid()
{
    CView::setDirty(false);
    invalidRect(CRect(0, 0, size.getWidth(), size.getHeight()));
}

void CFrame::invalidRect(const CRect& rect)
{
    CRect r = rect;
    r.bound(CRect(0, 0, size.getWidth(), size.getHeight()));
    if (r.isEmpty())
        return;
    // Overlapping areas become one, so nothing is painted twice in a pass.
    for (bool merged = true; merged;) {
        merged = false;
        for (auto it = pending.begin(); it != pending.end(); ++it) {
            if (it->rectOverlap(r)) {
                r.unite(*it);
                pending.erase(it);
                merged = true;
                break;
            }
        }
    }
    if (pending.size() >= kMaxPendingAreas) {
        for (const CRect& p : pending)
            r.unite(p);
        pending.clear();
    }
    pending.push_back(r);
}

void CFrame::renderPending()
{
    std::vector<CRect> areas;
    areas.swap(pending);
    // Each area grown to whole pixels, so no clip edge falls inside a pixel.
    for (CRect& r : areas) {
        const CRect px = pixelsOf(r);
        r = CRect(px.left / scale, px.top / scale, px.right / scale, px.bottom / scale);
    }
    if (!areas.empty()) {
        CDrawContext context(backBuffer, scale);
        for (const CRect& r : areas) {
            context.resetClipRect();
            context.setOffset(CPoint(0, 0));
            context.setClipRect(r);
            drawRect(&context, r);
        }
    }
    cairo_surface_flush(backBuffer);
    if (window) {
        for (CRect& r : areas)
            r = pixelsOf(r);
        areas.insert(areas.end(), exposed.begin(), exposed.end());
        window->present(backBuffer, areas);
    }
    exposed.clear();
}

void CFrame::drawRect(CDrawContext* context, const CRect& updateRect)
{
    if (updateRect.isEmpty())
        return;
    CRect oldClip;
    context->getClipRect(oldClip);
    CRect clip = updateRect;
    clip.bound(oldClip);
    context->setClipRect(clip);
    CViewContainer::drawRect(context, clip);
    context->setClipRect(oldClip);
}

void CFrame::pumpEvents()
{
    if (!window)
        return;
    std::vector<X11Event> events;
    window->pollEvents(events);
    for (const X11Event& e : events) {
        if (closed)
            return;
        CPoint where(e.where.x / scale, e.where.y / scale);
        switch (e.type) {
        case X11Event::kExpose: exposed.push_back(e.area); break;
        case X11Event::kButtonDown: onMouseDown(where, e.buttons); break;
        case X11Event::kButtonUp: onMouseUp(where, e.buttons); break;
        case X11Event::kMotion:
        case X11Event::kEnter: onMouseMoved(where, e.buttons); break;
        case X11Event::kLeave: onMouseExited(where, e.buttons); break;
        case X11Event::kWheel: onWheel(where, e.distance, e.buttons); break;
        case X11Event::kKeyDown: {
            CKeyCode key = e.key;
            onKeyDown(key);
            break;
        }
        case X11Event::kKeyUp: {
            CKeyCode key = e.key;
            onKeyUp(key);
            break;
        }
        }
    }
}

CView* CFrame::hoverTarget(const CPoint& local) const
{
    if (modalView)
        return modalView->getMouseableArea().pointInside(local) ? modalView : nullptr;
    return CViewContainer::hoverTarget(local);
}

CMouseEventResult CFrame::onMouseDown(CPoint& where, const long& buttons)
{
    KeepAlive alive(this);
    currentButtons = buttons;
    if (focusView) {
        CRect focusRect = focusView->getViewSize();
        CPoint origin = focusRect.getTopLeft();
        focusView->localToFrame(origin);
        focusRect.offset(origin.x - focusRect.left, origin.y - focusRect.top);
        if (!focusRect.pointInside(where))
            setFocusView(nullptr);
    }
    if (!modalView)
        return CViewContainer::onMouseDown(where, buttons);

    updateMouseOver(where, buttons);
    CView* v = modalView;
    CPoint p = where;
    v->remember();
    const CMouseEventResult r = v->onMouseDown(p, buttons);
    mouseDownView = (r == kMouseEventHandled && v == modalView) ? v : nullptr;
    v->forget();
    return r;
}

CMouseEventResult CFrame::onMouseMoved(CPoint& where, const long& buttons)
{
    KeepAlive alive(this);
    currentButtons = buttons;
    if (!modalView || mouseDownView)
        return CViewContainer::onMouseMoved(where, buttons);
    updateMouseOver(where, buttons);
    CView* v = modalView;
    CPoint p = where;
    v->remember();
    const CMouseEventResult r = v->onMouseMoved(p, buttons);
    v->forget();
    return r;
}

CMouseEventResult CFrame::onMouseUp(CPoint& where, const long& buttons)
{
    KeepAlive alive(this);
    currentButtons = buttons & ~kMouseButtons;
    return CViewContainer::onMouseUp(where, buttons);
}

bool CFrame::onWheel(const CPoint& where, const float& distance, const long& buttons)
{
    KeepAlive alive(this);
    if (!modalView)
        return CViewContainer::onWheel(where, distance, buttons);
    CView* v = modalView;
    v->remember();
    const bool handled = v->onWheel(where, distance, buttons);
    v->forget();
    return handled;
}

long CFrame::onKeyDown(CKeyCode& keyCode)
{
    KeepAlive alive(this);
    CView* v = modalView ? modalView : focusView;
    if (!v)
        return -1;
    v->remember();
    const long r = v->onKeyDown(keyCode);
    v->forget();
    return r;
}

long CFrame::onKeyUp(CKeyCode& keyCode)
{
    KeepAlive alive(this);
    CView* v = modalView ? modalView : focusView;
    if (!v)
        return -1;
    v->remember();
    const long r = v->onKeyUp(keyCode);
    v->forget();
    return r;
}

bool CFrame::setModalView(CView* view)
{
    if (view && modalView)
        return false;
    if (!view) {
        CView* old = modalView;
        modalView = nullptr;
        if (old)
            removeView(old, false);
        return true;
    }
    if (!addView(view))
        return false;
    modalView = view;
    mouseDownView = nullptr;
    return true;
}

void CFrame::setFocusView(CView* view)
{
    if (view == focusView)
        return;
    CView* old = focusView;
    focusView = view;
    if (old)
        old->looseFocus();
    if (focusView == view && view)
        view->takeFocus();
}

bool CFrame::contains(const CView* ancestor, const CView* view) const
{
    for (const CView* v = view; v; v = v->getParentView())
        if (v == ancestor)
            return true;
    return false;
}

void CFrame::viewWillBeRemoved(CView* view)
{
    if (modalView && contains(view, modalView))
        modalView = nullptr;
    if (focusView && contains(view, focusView)) {
        CView* old = focusView;
        focusView = nullptr;
        old->looseFocus();
    }
}

cairo_surface_t* CFrame::getOffscreenSurface()
{
    if (!closed)
        redrawDirty();
    return backBuffer;
}

bool CFrame::saveToPNG(const std::string& path)
{
    return cairo_surface_write_to_png(getOffscreenSurface(), path.c_str()) ==
           CAIRO_STATUS_SUCCESS;
}
