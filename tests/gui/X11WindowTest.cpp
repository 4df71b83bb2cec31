// Frames in real X windows: a private Xvfb plays the display, a parent window
// made here plays the host, and xdotool plays the user. What needs Xvfb or
// xdotool is skipped when they are not installed.
#include <gtest/gtest.h>

#include "tests/support/Xvfb.h"

#include <chrono>
#include <thread>
#include <xcb/xcb.h>

#include "GuiTestSupport.h"
#include "gui/COnOffButton.h"
#include "gui/CTextEdit.h"

using namespace guitest;

namespace {
bool have(const std::string& program) { return std::system(("command -v " + program + " >/dev/null").c_str()) == 0; }

int xdotool(const std::string& args) { return std::system(("xdotool " + args + " >/dev/null 2>&1").c_str()); }

// A top-level window standing in for the host's editor window.
struct HostWindow {
    HostWindow()
    {
        xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
        window = xcb_generate_id(connection);
        xcb_create_window(connection, XCB_COPY_FROM_PARENT, window, screen->root, 0, 0, 400, 300, 0,
                          XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual, XCB_CW_BACK_PIXEL,
                          &screen->black_pixel);
        xcb_map_window(connection, window);
        xcb_set_input_focus(connection, XCB_INPUT_FOCUS_POINTER_ROOT, window, XCB_CURRENT_TIME);
        // A round trip, so everything sent so far has been handled.
        std::free(xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr));
    }
    ~HostWindow()
    {
        xcb_destroy_window(connection, window);
        xcb_disconnect(connection);
    }

    // 0xffRRGGBB of a pixel on screen inside the window, children included.
    uint32_t pixel(int16_t x, int16_t y)
    {
        auto* image = xcb_get_image_reply(
            connection, xcb_get_image(connection, XCB_IMAGE_FORMAT_Z_PIXMAP, window, x, y, 1, 1, ~0u), nullptr);
        const uint8_t* d = image ? xcb_get_image_data(image) : nullptr;
        const uint32_t value = d ? rgb(d[2], d[1], d[0]) : 0;
        std::free(image);
        return value;
    }

    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    xcb_window_t window = 0;
};

// The private display, one for the whole run; null without Xvfb.
const Xvfb* display()
{
    static Xvfb server;
    return have("Xvfb") ? &server : nullptr;
}
} // namespace

TEST(X11Window, FrameInTheHostWindowDrawsAndTakesMouseAndKeysAcrossReopening)
{
    if (!display() || !have("xdotool"))
        GTEST_SKIP() << "Xvfb or xdotool is not installed";
    ASSERT_TRUE(display()->running()) << "Xvfb did not start";
    setenv("DISPLAY", display()->name().c_str(), 1);
    HostWindow host;
    const std::string at = "mousemove --window " + std::to_string(host.window) + " ";

    for (int round = 0; round < 3; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        RecordingListener listener;
        FrameHolder holder(CRect(0, 0, 300, 200), nullptr, reinterpret_cast<void*>(uintptr_t(host.window)));
        CFrame* frame = holder.frame;
        ASSERT_TRUE(frame->isWindowOpen());
        frame->setBackgroundColor(CColor(10, 200, 30));
        auto* button = new COnOffButton(CRect(20, 20, 60, 60), &listener, 7, nullptr);
        frame->addView(button);
        auto* probe = new ProbeView(CRect(100, 20, 140, 60));
        probe->downResult = kMouseDownEventHandledButDontNeedMovedOrUpEvents;
        frame->addView(probe);
        auto* edit = new CTextEdit(CRect(20, 100, 200, 120), &listener, 92, "");
        frame->addView(edit);
        // Idles as a host's timer would until done() holds, for at most five seconds.
        auto idleUntil = [&](auto done) {
            for (int i = 0; i < 250 && !done(); ++i) {
                frame->idle();
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
            }
            return done();
        };

        EXPECT_TRUE(idleUntil([&] { return host.pixel(250, 150) == rgb(10, 200, 30); }));
        ASSERT_EQ(xdotool(at + "40 40 click 1"), 0);
        EXPECT_TRUE(idleUntil([&] { return button->getValue() == 1.f; }));

        // Two quick clicks: the second press carries the double-click flag.
        ASSERT_EQ(xdotool(at + "120 40 click --repeat 2 --delay 60 1"), 0);
        ASSERT_TRUE(idleUntil([&] { return probe->downButtons.size() == 2; }));
        EXPECT_EQ(probe->downButtons[0] & (kLButton | kDoubleClick), kLButton);
        EXPECT_EQ(probe->downButtons[1] & (kLButton | kDoubleClick), kLButton | kDoubleClick);

        ASSERT_EQ(xdotool(at + "50 110 click 1"), 0);
        ASSERT_TRUE(idleUntil([&] { return edit->isEditing(); }));
        ASSERT_EQ(xdotool("type --delay 30 'Ab c'"), 0);
        ASSERT_EQ(xdotool("key BackSpace Return"), 0);
        EXPECT_TRUE(idleUntil([&] { return listener.values.size() == 2; }));
        EXPECT_STREQ(edit->getText(), "Ab ");
    }
    // The frame's window is gone: the host's own black shows again.
    EXPECT_EQ(host.pixel(250, 150), rgb(0, 0, 0));
}

// A parent that does not exist on a running display, and no display at all.
TEST(X11Window, WithoutAUsableParentTheFrameStaysOffscreenAndWorks)
{
    const std::string saved = std::getenv("DISPLAY") ? std::getenv("DISPLAY") : "";
    for (bool withDisplay : {true, false}) {
        SCOPED_TRACE(withDisplay ? "bogus parent" : "no display");
        if (withDisplay && !(display() && display()->running()))
            continue;
        withDisplay ? setenv("DISPLAY", display()->name().c_str(), 1) : unsetenv("DISPLAY");
        const auto start = std::chrono::steady_clock::now();
        {
            FrameHolder frame(CRect(0, 0, 50, 50), nullptr, reinterpret_cast<void*>(0x7fffffff));
            EXPECT_FALSE(frame->isWindowOpen());
            frame->setBackgroundColor(CColor(1, 2, 3));
            frame->addView(new ProbeView(CRect(0, 0, 10, 10)));
            frame->idle();
            EXPECT_EQ(pixelAt(frame->getOffscreenSurface(), 20, 20), rgb(1, 2, 3));
            EXPECT_EQ(mouseDown(frame.frame, 5, 5), kMouseEventHandled);
        }
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    }
    if (!saved.empty())
        setenv("DISPLAY", saved.c_str(), 1);
}
