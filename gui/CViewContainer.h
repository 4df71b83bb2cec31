// A view that holds other views. Children lie in the container's own
// coordinates (its top-left corner is their origin); later children lie on
// top. Mouse events go to the topmost child under the pointer that handles
// them; a child that handled a mouse-down keeps receiving moves and the
// mouse-up until the button is released. UI thread.
#pragma once

#include <vector>

#include "gui/CColor.h"
#include "gui/CView.h"

class CViewContainer : public CView {
public:
    explicit CViewContainer(const CRect& size);
    ~CViewContainer() override;

    // Takes over the caller's reference to view.
    virtual bool addView(CView* view);
    // Releases the container's reference when withForget is true.
    virtual bool removeView(CView* view, bool withForget = true);
    virtual bool removeAll(bool withForget = true);
    bool isChild(const CView* view) const;
    long getNbViews() const { return static_cast<long>(children.size()); }
    CView* getView(long index) const;
    // Topmost child whose mouseable area holds where (in this view's parent
    // coordinates); with deep, descends into child containers.
    CView* getViewAt(const CPoint& where, bool deep = false) const;

    void setBackgroundColor(const CColor& color) { backgroundColor = color; }
    const CColor& getBackgroundColor() const { return backgroundColor; }

    // Asks for a redraw of every child that reports itself dirty, or of the
    // whole container when it is dirty itself.
    virtual void invalidateDirtyViews();

    void draw(CDrawContext* context) override;
    void drawRect(CDrawContext* context, const CRect& updateRect) override;

    CMouseEventResult onMouseDown(CPoint& where, const long& buttons) override;
    CMouseEventResult onMouseUp(CPoint& where, const long& buttons) override;
    CMouseEventResult onMouseMoved(CPoint& where, const long& buttons) override;
    CMouseEventResult onMouseExited(CPoint& where, const long& buttons) override;
    bool onWheel(const CPoint& where, const float& distance, const long& buttons) override;

    bool attached(CView* parent) override;
    bool removed(CView* parent) override;

    CLASS_METHODS_NOCOPY(CViewContainer, CView)
    CView* newCopy() const override { return nullptr; }

protected:
    // Where the children's origin lies in this view's parent coordinates.
    virtual CPoint getChildOrigin() const { return size.getTopLeft(); }
    CPoint toChildCoordinates(const CPoint& where) const;
    // The child that should count as under the pointer (for entered/exited).
    virtual CView* hoverTarget(const CPoint& local) const;
public:
    // The child the pointer is over, as entered/exited last told it (or null).
    CView* getMouseOverView() const { return mouseOverView; }
protected:
    // Sends entered/exited as the pointer moves between children.
    void updateMouseOver(const CPoint& local, const long& buttons);
    void clearMouseOver(const CPoint& local, const long& buttons);
    // Offers an event to the children under local, topmost first, until one
    // handles it.
    CMouseEventResult dispatchToTopmost(const CPoint& local, const long& buttons, bool down);
    // Passes a move or up to the captured child; releases the capture when done.
    CMouseEventResult sendToCapture(const CPoint& local, const long& buttons, bool up);

    std::vector<CView*> children;
    CView* mouseDownView = nullptr;
    CView* mouseOverView = nullptr;
    CColor backgroundColor = kBlackCColor;
};
