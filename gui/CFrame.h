// The top-level container: the editor's window. With a host window id it
// opens its own X connection and a child window inside the host's; without
// one (or when that fails) it draws into an off-screen image only. Either way
// drawing goes to an image first and is shown from there.
//
// Nothing happens between idle() calls: idle() reads the window's pending
// events, asks dirty views for a redraw and paints what became invalid.
// Views are released by close(), which also ends the frame itself.
// UI thread only.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "gui/CViewContainer.h"
#include "gui/CairoFwd.h"

class VSTGUIEditorInterface;
class X11Window;

class CFrame : public CViewContainer {
public:
    // systemWindow is the host's X11 window id cast to a pointer, or null for
    // an off-screen frame. Views live in window units; at a scale above 1
    // the window and its image have that many more pixels, everything is
    // drawn that much larger and mouse positions are given back in window
    // units.
    CFrame(const CRect& size, void* systemWindow, VSTGUIEditorInterface* editor, double scale = 1.0);
    ~CFrame() override;

    // True when a window was asked for and is open on the display.
    bool isWindowOpen() const;
    // The X11 id of the frame's own window inside the host's, 0 off-screen.
    uint32_t getWindowId() const;
    void* getSystemWindow() const { return systemWindow; }
    VSTGUIEditorInterface* getEditor() const { return editor; }

    virtual void idle();
    // The frame's whole idle work: reads the window's events, asks every dirty
    // view (or the whole frame when it is dirty) for a redraw and paints all
    // invalid areas, so a derived idle() that calls only this keeps working.
    void invalidateDirtyViews() override;

    void invalid() override;
    void invalidRect(const CRect& rect) override;
    void drawRect(CDrawContext* context, const CRect& updateRect) override;

    // Entry points for the window's events; tests and hosts may call them too.
    CMouseEventResult onMouseDown(CPoint& where, const long& buttons) override;
    CMouseEventResult onMouseUp(CPoint& where, const long& buttons) override;
    CMouseEventResult onMouseMoved(CPoint& where, const long& buttons) override;
    bool onWheel(const CPoint& where, const float& distance, const long& buttons) override;
    long onKeyDown(CKeyCode& keyCode) override;
    long onKeyUp(CKeyCode& keyCode) override;

    // A modal view is added to the frame and gets all mouse and key input.
    // Returns false when another one is set. setModalView(nullptr) removes it
    // from the frame without releasing it.
    bool setModalView(CView* view);
    CView* getModalView() const { return modalView; }

    void setFocusView(CView* view);
    CView* getFocusView() const { return focusView; }

    // Buttons and modifiers of the mouse event being handled or last handled;
    // button bits clear once the button is released.
    long getCurrentMouseButtons() const { return currentButtons; }

    // Removes and releases every view, closes the window and releases the
    // frame's own reference.
    void close();

    double getScale() const { return scale; }
    // The image everything is drawn into (its pixels at the scale), with all
    // pending drawing done.
    cairo_surface_t* getOffscreenSurface();
    bool saveToPNG(const std::string& path);

    // Clears references to a view (or its children) that leaves the frame.
    void viewWillBeRemoved(CView* view);

    CLASS_METHODS_NOCOPY(CFrame, CViewContainer)

protected:
    CPoint getChildOrigin() const override { return CPoint(0, 0); }
    CView* hoverTarget(const CPoint& local) const override;

private:
    void pumpEvents();
    void redrawDirty();
    void renderPending();
    bool contains(const CView* ancestor, const CView* view) const;

    // Pixels of a rectangle in window units at the scale, covering it whole.
    CRect pixelsOf(const CRect& r) const;

    void* systemWindow;
    VSTGUIEditorInterface* editor;
    double scale;
    std::unique_ptr<X11Window> window;
    cairo_surface_t* backBuffer = nullptr;
    std::vector<CRect> pending;
    std::vector<CRect> exposed;
    CView* modalView = nullptr;
    CView* focusView = nullptr;
    long currentButtons = 0;
    bool closed = false;
};
