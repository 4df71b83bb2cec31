// Helpers for driving frames without a window: a probe view that records
// what reaches it, a recording editor and listener, a scratch resource folder
// with generated PNGs, and pixel access to an off-screen frame.
#pragma once

#include <cairo.h>
#include <fontconfig/fontconfig.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "gui/CBitmap.h"
#include "gui/CControl.h"
#include "gui/CFrame.h"
#include "gui/Resources.h"
#include "gui/VSTGUIEditorInterface.h"

namespace guitest {

// cairo and fontconfig keep process-wide font caches until exit. Emptying
// them after the last test leaves the leak checker only what the code under
// test failed to release.
struct FontCaches : ::testing::Environment {
    void TearDown() override
    {
        cairo_debug_reset_static_data();
        FcFini();
    }
};
inline const auto* const fontCaches = ::testing::AddGlobalTestEnvironment(new FontCaches);

// Records every event that reaches it as a short string, with the buttons of
// each mouse-down, and answers mouse-down with downResult.
struct ProbeView : CView {
    using CView::CView;
    CMouseEventResult onMouseDown(CPoint& where, const long& buttons) override
    {
        downButtons.push_back(buttons);
        return note("down", where, downResult);
    }
    CMouseEventResult onMouseMoved(CPoint& where, const long&) override { return note("moved", where); }
    CMouseEventResult onMouseUp(CPoint& where, const long&) override { return note("up", where); }
    CMouseEventResult onMouseEntered(CPoint& where, const long&) override { return note("entered", where); }
    CMouseEventResult onMouseExited(CPoint& where, const long&) override { return note("exited", where); }
    bool onWheel(const CPoint& where, const float&, const long&) override { return note("wheel", where); }
    long onKeyDown(CKeyCode&) override { return note("key", lastWhere); }

    std::vector<std::string> events;
    std::vector<long> downButtons;
    CPoint lastWhere;
    CMouseEventResult downResult = kMouseEventHandled;

    // Records what happened and answers r: kMouseEventHandled by default,
    // which also reads as true for the wheel and as 1 (handled) for a key.
    CMouseEventResult note(const char* what, CPoint where, CMouseEventResult r = kMouseEventHandled)
    {
        events.push_back(what);
        lastWhere = where;
        return r;
    }
};

struct RecordingEditor : VSTGUIEditorInterface {
    void beginEdit(long index) override { edits.push_back("begin " + std::to_string(index)); }
    void endEdit(long index) override { edits.push_back("end " + std::to_string(index)); }
    std::vector<std::string> edits;
};

struct RecordingListener : CControlListener {
    void valueChanged(CControl* control) override { values.push_back(control->getValue()); }
    std::vector<float> values;
};

// Owns a frame for one test and closes it at the end, failed or not.
struct FrameHolder {
    explicit FrameHolder(const CRect& r, VSTGUIEditorInterface* editor = nullptr, void* window = nullptr)
        : frame(new CFrame(r, window, editor)) {}
    ~FrameHolder()
    {
        if (frame)
            frame->close();
    }
    CFrame* operator->() const { return frame; }
    CFrame* frame;
};

// One mouse event at (x, y) sent to a frame.
using MouseHandler = CMouseEventResult (CFrame::*)(CPoint&, const long&);
inline CMouseEventResult mouse(MouseHandler handler, CFrame* f, double x, double y, long buttons)
{
    CPoint p(x, y);
    return (f->*handler)(p, buttons);
}
inline auto mouseDown(CFrame* f, double x, double y, long b = kLButton) { return mouse(&CFrame::onMouseDown, f, x, y, b); }
inline auto mouseMoved(CFrame* f, double x, double y, long b = kLButton) { return mouse(&CFrame::onMouseMoved, f, x, y, b); }
inline auto mouseUp(CFrame* f, double x, double y, long b = kLButton) { return mouse(&CFrame::onMouseUp, f, x, y, b); }
inline void click(CFrame* f, double x, double y, long buttons = kLButton)
{
    mouseDown(f, x, y, buttons);
    mouseUp(f, x, y, buttons);
}

inline CKeyCode key(int32_t character, unsigned char virt = 0) { return CKeyCode{character, virt, 0}; }

// 0xAARRGGBB of an opaque pixel of an ARGB32 surface.
inline uint32_t pixelAt(cairo_surface_t* s, int x, int y)
{
    cairo_surface_flush(s);
    const unsigned char* row = cairo_image_surface_get_data(s) + y * cairo_image_surface_get_stride(s);
    return reinterpret_cast<const uint32_t*>(row)[x];
}

inline uint32_t rgb(uint8_t r, uint8_t g, uint8_t b) { return 0xff000000u | r << 16 | g << 8 | b; }

// A temporary resource folder that bitmaps are loaded from during a test.
struct ResourceFolder {
    ResourceFolder() { setResourceFolder(path = mkdtemp(pattern)); }
    ~ResourceFolder()
    {
        setResourceFolder("");
        std::filesystem::remove_all(path);
    }

    // Writes bmpNNNNN.png: a strip of pictures of width x heightEach, one
    // solid colour per picture, top to bottom.
    void writeStrip(int id, int width, int heightEach, const std::vector<uint32_t>& colours) const
    {
        cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, heightEach * int(colours.size()));
        cairo_t* cr = cairo_create(s);
        for (size_t i = 0; i < colours.size(); ++i) {
            const uint32_t c = colours[i];
            cairo_set_source_rgb(cr, (c >> 16 & 0xff) / 255.0, (c >> 8 & 0xff) / 255.0, (c & 0xff) / 255.0);
            cairo_rectangle(cr, 0, int(i) * heightEach, width, heightEach);
            cairo_fill(cr);
        }
        cairo_destroy(cr);
        const std::string number = std::to_string(id);
        cairo_surface_write_to_png(s, (path + "/bmp" + std::string(5 - number.size(), '0') + number + ".png").c_str());
        cairo_surface_destroy(s);
    }

    char pattern[32] = "/tmp/sylvatone-gui-XXXXXX";
    std::string path;
};

} // namespace guitest
