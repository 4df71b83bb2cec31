// Helpers for driving frames without a window: probe views that record what
// reaches them, a recording editor and listener, a scratch resource folder
// with generated PNGs, and pixel access to an off-screen frame.
#pragma once

#include <cairo.h>
#include <cstdint>
#include <cstdio>
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

// Records every event that reaches it as a short string; answers mouse-down
// with downResult. Counts draws and its own destruction.
class ProbeView : public CView {
public:
    explicit ProbeView(const CRect& r, int* destroyed = nullptr) : CView(r), destroyed(destroyed) {}
    ~ProbeView() override
    {
        if (destroyed)
            ++*destroyed;
    }

    void draw(CDrawContext* context) override
    {
        ++draws;
        CView::draw(context);
    }
    CMouseEventResult onMouseDown(CPoint& where, const long& buttons) override
    {
        downButtons.push_back(buttons);
        return note("down", where, buttons, downResult);
    }
    CMouseEventResult onMouseMoved(CPoint& where, const long& buttons) override
    {
        return note("moved", where, buttons, movedResult);
    }
    CMouseEventResult onMouseUp(CPoint& where, const long& buttons) override
    {
        return note("up", where, buttons, kMouseEventHandled);
    }
    CMouseEventResult onMouseEntered(CPoint& where, const long& buttons) override
    {
        return note("entered", where, buttons, kMouseEventHandled);
    }
    CMouseEventResult onMouseExited(CPoint& where, const long& buttons) override
    {
        return note("exited", where, buttons, kMouseEventHandled);
    }
    bool onWheel(const CPoint& where, const float&, const long& buttons) override
    {
        CPoint p = where;
        note("wheel", p, buttons, kMouseEventHandled);
        return true;
    }
    long onKeyDown(VstKeyCode&) override
    {
        events.push_back("key");
        return 1;
    }

    std::vector<std::string> events;
    std::vector<long> downButtons;
    CPoint lastWhere;
    long lastButtons = 0;
    int draws = 0;
    CMouseEventResult downResult = kMouseEventHandled;
    CMouseEventResult movedResult = kMouseEventHandled;

private:
    CMouseEventResult note(const char* what, CPoint& where, long buttons, CMouseEventResult r)
    {
        events.push_back(what);
        lastWhere = where;
        lastButtons = buttons;
        return r;
    }
    int* destroyed;
};

class RecordingEditor : public VSTGUIEditorInterface {
public:
    void beginEdit(long index) override { edits.push_back("begin " + std::to_string(index)); }
    void endEdit(long index) override { edits.push_back("end " + std::to_string(index)); }
    int32_t getKnobMode() const override { return knobMode; }

    std::vector<std::string> edits;
    int32_t knobMode = 0;
};

class RecordingListener : public CControlListener {
public:
    void valueChanged(CControl* control) override
    {
        values.push_back(control->getValue());
        tags.push_back(control->getTag());
    }
    std::vector<float> values;
    std::vector<long> tags;
};

// Owns a frame for one test and closes it at the end, failed or not.
struct FrameHolder {
    explicit FrameHolder(const CRect& r, VSTGUIEditorInterface* editor = nullptr,
                         void* systemWindow = nullptr)
        : frame(new CFrame(r, systemWindow, editor))
    {
    }
    ~FrameHolder()
    {
        if (frame)
            frame->close();
    }
    CFrame* operator->() const { return frame; }
    CFrame* frame;
};

inline CMouseEventResult mouseDown(CFrame* f, double x, double y, long buttons = kLButton)
{
    CPoint p(x, y);
    return f->onMouseDown(p, buttons);
}

inline CMouseEventResult mouseMoved(CFrame* f, double x, double y, long buttons = kLButton)
{
    CPoint p(x, y);
    return f->onMouseMoved(p, buttons);
}

inline CMouseEventResult mouseUp(CFrame* f, double x, double y, long buttons = kLButton)
{
    CPoint p(x, y);
    return f->onMouseUp(p, buttons);
}

inline void click(CFrame* f, double x, double y, long buttons = kLButton)
{
    mouseDown(f, x, y, buttons);
    mouseUp(f, x, y, buttons);
}

inline VstKeyCode key(int32_t character, unsigned char virt = 0)
{
    VstKeyCode k{};
    k.character = character;
    k.virt = virt;
    return k;
}

// 0xAARRGGBB of an opaque pixel of an ARGB32 surface.
inline uint32_t pixelAt(cairo_surface_t* s, int x, int y)
{
    cairo_surface_flush(s);
    const unsigned char* data = cairo_image_surface_get_data(s);
    const int stride = cairo_image_surface_get_stride(s);
    return *reinterpret_cast<const uint32_t*>(data + y * stride + x * 4);
}

inline uint32_t rgb(uint8_t r, uint8_t g, uint8_t b)
{
    return 0xff000000u | (uint32_t(r) << 16) | (uint32_t(g) << 8) | b;
}

// A temporary resource folder that bitmaps are loaded from during a test.
class ResourceFolder {
public:
    ResourceFolder()
    {
        char pattern[] = "/tmp/sylvatone-gui-XXXXXX";
        path = mkdtemp(pattern);
        setResourceFolder(path);
    }
    ~ResourceFolder()
    {
        setResourceFolder("");
        std::filesystem::remove_all(path);
    }

    // Writes bmpNNNNN.png: a strip of pictures of width x heightEach, one
    // solid colour per picture, top to bottom.
    void writeStrip(int id, int width, int heightEach, const std::vector<uint32_t>& colours) const
    {
        const int count = static_cast<int>(colours.size());
        cairo_surface_t* s =
            cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, heightEach * count);
        cairo_t* cr = cairo_create(s);
        for (int i = 0; i < count; ++i) {
            const uint32_t c = colours[static_cast<size_t>(i)];
            cairo_set_source_rgb(cr, ((c >> 16) & 0xff) / 255.0, ((c >> 8) & 0xff) / 255.0,
                                 (c & 0xff) / 255.0);
            cairo_rectangle(cr, 0, i * heightEach, width, heightEach);
            cairo_fill(cr);
        }
        cairo_destroy(cr);
        char name[32];
        std::snprintf(name, sizeof name, "/bmp%05d.png", id);
        cairo_surface_write_to_png(s, (path + name).c_str());
        cairo_surface_destroy(s);
    }

    std::string path;
};

} // namespace guitest
