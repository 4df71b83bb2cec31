// The base of everything on screen: a rectangle in its parent's coordinates
// that draws itself and may answer mouse and key events. Views are reference
// counted; a container that takes a view takes over the caller's reference.
#pragma once

#include <cstring>

#include "gui/CBaseObject.h"
#include "gui/CRect.h"
#include "gui/CKeyCode.h"

class CBitmap;
class CDrawContext;
class CFrame;

// Mouse buttons and modifier keys, combined as bits in one long.
enum CButton {
    kLButton = 1 << 1,
    kMButton = 1 << 2,
    kRButton = 1 << 3,
    kShift = 1 << 4,
    kControl = 1 << 5,
    kAlt = 1 << 6,
    kApple = 1 << 7,
    kButton4 = 1 << 8,
    kButton5 = 1 << 9,
    kDoubleClick = 1 << 10,
};

enum CMouseEventResult {
    kMouseEventNotImplemented = 0,
    kMouseEventHandled,
    kMouseEventNotHandled,
    kMouseDownEventHandledButDontNeedMovedOrUpEvents,
    kMouseMoveEventHandledButDontNeedMoreEvents,
};

// Class name, type query and copy for a view class.
#define CLASS_METHODS(name, parent)                                                  \
    const char* getClassName() const override { return #name; }                      \
    bool isTypeOf(const char* s) const override                                      \
    {                                                                                \
        return std::strcmp(s, #name) == 0 || parent::isTypeOf(s);                    \
    }                                                                                \
    CView* newCopy() const override { return new name(*this); }

#define CLASS_METHODS_NOCOPY(name, parent)                                           \
    const char* getClassName() const override { return #name; }                      \
    bool isTypeOf(const char* s) const override                                      \
    {                                                                                \
        return std::strcmp(s, #name) == 0 || parent::isTypeOf(s);                    \
    }

class CView : public CBaseObject {
public:
    explicit CView(const CRect& size);
    // A copy shares the background bitmap but belongs to no container.
    CView(const CView& view);
    CView& operator=(const CView&) = delete;
    ~CView() override;

    // Drawing. draw() paints the background bitmap and marks the view clean;
    // drawRect() is what a container calls for the part in updateRect.
    virtual void draw(CDrawContext* context);
    virtual void drawRect(CDrawContext* context, const CRect& updateRect);
    virtual void setDirty(bool state = true) { bDirty = state; }
    virtual bool isDirty() const { return bDirty; }
    // Asks the frame to redraw this view's rectangle at the next idle. The
    // view counts as clean from here on: its state is as good as drawn.
    virtual void invalid()
    {
        setDirty(false);
        invalidRect(size);
    }
    // rect is in the same coordinates as the view's own size.
    virtual void invalidRect(const CRect& rect);

    // Mouse: where is in the coordinates of the view's parent, like its size.
    virtual CMouseEventResult onMouseDown(CPoint& where, const long& buttons);
    virtual CMouseEventResult onMouseUp(CPoint& where, const long& buttons);
    virtual CMouseEventResult onMouseMoved(CPoint& where, const long& buttons);
    virtual CMouseEventResult onMouseEntered(CPoint& where, const long& buttons);
    virtual CMouseEventResult onMouseExited(CPoint& where, const long& buttons);
    virtual bool onWheel(const CPoint& where, const float& distance, const long& buttons);
    // Keys: 1 handled, -1 not handled.
    virtual long onKeyDown(CKeyCode& keyCode);
    virtual long onKeyUp(CKeyCode& keyCode);

    // Keyboard focus, given and taken by the frame.
    virtual void takeFocus() {}
    virtual void looseFocus() {}

    const CRect& getViewSize() const { return size; }
    CRect& getViewSize(CRect& rect) const { return rect = size; }
    virtual void setViewSize(const CRect& rect, bool invalidate = true);
    const CRect& getMouseableArea() const { return mouseableArea; }
    CRect& getMouseableArea(CRect& rect) const { return rect = mouseableArea; }
    virtual void setMouseableArea(const CRect& rect) { mouseableArea = rect; }

    // Converts a point from this view's (parent) coordinates to the frame's,
    // and back.
    CPoint& localToFrame(CPoint& point) const;
    CPoint& frameToLocal(CPoint& point) const;

    virtual void setBackground(CBitmap* background);
    CBitmap* getBackground() const { return pBackground; }
    virtual void setTransparency(bool state) { bTransparencyEnabled = state; }
    bool getTransparency() const { return bTransparencyEnabled; }

    CFrame* getFrame() const { return pParentFrame; }
    CView* getParentView() const { return pParentView; }
    bool isAttached() const { return pParentView != nullptr; }
    // Called by a container when the view enters or leaves it.
    virtual bool attached(CView* parent);
    virtual bool removed(CView* parent);

    virtual const char* getClassName() const { return "CView"; }
    virtual bool isTypeOf(const char* s) const { return std::strcmp(s, "CView") == 0; }
    // A new unattached view like this one, or null for classes that cannot be copied.
    virtual CView* newCopy() const { return new CView(*this); }

protected:
    // Offset from the parent's coordinates to the frame's.
    CPoint parentOriginInFrame() const;

    CRect size;
    CRect mouseableArea;
    CBitmap* pBackground = nullptr;
    bool bTransparencyEnabled = false;
    bool bDirty = false;
    CView* pParentView = nullptr;
    CFrame* pParentFrame = nullptr;
};
