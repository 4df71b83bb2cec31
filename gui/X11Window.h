// The X11 side of a frame: its own xcb connection, a child window inside the
// host's window, presenting an image into it, and turning X events into the
// toolkit's mouse and key events. No thread: events are read on request.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "gui/CRect.h"
#include "gui/CairoFwd.h"
#include "gui/CKeyCode.h"

struct xcb_connection_t;

struct X11Event {
    enum Type { kExpose, kButtonDown, kButtonUp, kWheel, kMotion, kEnter, kLeave, kKeyDown, kKeyUp };
    Type type = kMotion;
    CPoint where;
    long buttons = 0;   // CButton bits
    float distance = 0; // wheel: +1 up, -1 down
    CRect area;         // expose
    CKeyCode key{};
};

class X11Window {
public:
    // Connects to $DISPLAY and creates a child of parent (an X window id)
    // covering rect. Null when there is no display, parent is not a window,
    // or anything else fails.
    static std::unique_ptr<X11Window> open(void* parent, const CRect& rect);
    ~X11Window();
    X11Window(const X11Window&) = delete;
    X11Window& operator=(const X11Window&) = delete;

    uint32_t getWindowId() const { return window; }
    bool isBroken() const;

    // Copies the given areas of image (window-sized) to the window.
    void present(cairo_surface_t* image, const std::vector<CRect>& areas);
    // Appends the events that arrived since the last call.
    void pollEvents(std::vector<X11Event>& out);

    // The screen resolution the desktop asks for (the X server's Xft.dpi
    // resource, as desktop toolkits read it); 0 when there is no display or
    // no such resource.
    static double desktopDpi();

    // Maps a keysym with X modifier state to a VST key code; false for keys
    // that carry nothing (modifiers alone, unknown keys).
    static bool keysymToKeyCode(uint32_t keysym, uint16_t state, CKeyCode& key);

private:
    X11Window() = default;
    bool loadKeymap();
    uint32_t keysymFor(uint8_t keycode, uint16_t state) const;
    long buttonsFromState(uint16_t state) const;

    xcb_connection_t* connection = nullptr;
    uint32_t window = 0;
    cairo_surface_t* surface = nullptr;
    uint8_t minKeycode = 0;
    int keysymsPerKeycode = 0;
    std::vector<uint32_t> keymap;
    // Double-click detection.
    uint32_t lastPressTime = 0;
    int lastPressButton = 0;
    CPoint lastPressPoint;
    bool lastPressValid = false;
};
