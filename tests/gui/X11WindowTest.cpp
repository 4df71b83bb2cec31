// Frames in real X windows: a private Xvfb plays the display, a parent window
// made here plays the host, and xdotool plays the user. Skipped when Xvfb is
// not installed.
#include <gtest/gtest.h>

#include "tests/support/Xvfb.h"

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <sstream>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <xcb/xcb.h>

#include "GuiTestSupport.h"
#include "gui/COnOffButton.h"
#include "gui/CTextEdit.h"

extern char** environ;

using namespace guitest;

namespace {
bool onPath(const std::string& program)
{
    const char* path = std::getenv("PATH");
    std::stringstream dirs(path ? path : "");
    for (std::string dir; std::getline(dirs, dir, ':');)
        if (!dir.empty() && access((dir + "/" + program).c_str(), X_OK) == 0)
            return true;
    return false;
}

// A top-level window standing in for the host's editor window.
class HostWindow {
public:
    HostWindow(int width, int height)
    {
        connection = xcb_connect(nullptr, nullptr);
        if (xcb_connection_has_error(connection))
            return;
        xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
        window = xcb_generate_id(connection);
        const uint32_t values[] = {screen->black_pixel};
        xcb_create_window(connection, XCB_COPY_FROM_PARENT, window, screen->root, 0, 0,
                          static_cast<uint16_t>(width), static_cast<uint16_t>(height), 0,
                          XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual, XCB_CW_BACK_PIXEL,
                          values);
        xcb_map_window(connection, window);
        xcb_set_input_focus(connection, XCB_INPUT_FOCUS_POINTER_ROOT, window, XCB_CURRENT_TIME);
        sync();
    }
    ~HostWindow()
    {
        if (window)
            xcb_destroy_window(connection, window);
        xcb_disconnect(connection);
    }

    bool ok() const { return window != 0; }

    void* handle() const { return reinterpret_cast<void*>(static_cast<uintptr_t>(window)); }

    // 0xffRRGGBB of a pixel on screen inside the window, children included.
    uint32_t pixel(int x, int y)
    {
        xcb_get_image_reply_t* reply = xcb_get_image_reply(
            connection,
            xcb_get_image(connection, XCB_IMAGE_FORMAT_Z_PIXMAP, window, static_cast<int16_t>(x),
                          static_cast<int16_t>(y), 1, 1, ~0u),
            nullptr);
        if (!reply)
            return 0;
        const uint8_t* d = xcb_get_image_data(reply);
        const uint32_t value = rgb(d[2], d[1], d[0]);
        std::free(reply);
        return value;
    }

    xcb_connection_t* connection;
    xcb_window_t window = 0;

private:
    // A round trip, so everything sent so far has been handled.
    void sync()
    {
        std::free(xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr));
    }
};

int xdotool(const std::string& args)
{
    return std::system(("xdotool " + args + " >/dev/null 2>&1").c_str());
}

// Calls idle until done() holds or five seconds pass, as a host's timer would.
template <class Done>
bool idleUntil(CFrame* frame, Done done)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (std::chrono::steady_clock::now() < end) {
        frame->idle();
        if (done())
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
}

class X11WindowTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        if (!onPath("Xvfb"))
            return;
        server = new Xvfb;
        started = server->running();
        if (started)
            setenv("DISPLAY", server->name().c_str(), 1);
    }
    static void TearDownTestSuite()
    {
        delete server;
        server = nullptr;
    }
    void SetUp() override
    {
        if (!server)
            GTEST_SKIP() << "Xvfb is not installed";
        ASSERT_TRUE(started) << "Xvfb did not start";
    }

    static Xvfb* server;
    static bool started;
};

Xvfb* X11WindowTest::server = nullptr;
bool X11WindowTest::started = false;
} // namespace

TEST_F(X11WindowTest, FrameOpensInTheHostWindowDrawsAndTakesClicksAcrossReopening)
{
    if (!onPath("xdotool"))
        GTEST_SKIP() << "xdotool is not installed";
    HostWindow host(400, 300);
    ASSERT_TRUE(host.ok());
    const std::string in = "--window " + std::to_string(host.window) + " ";

    for (int round = 0; round < 3; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        RecordingListener listener;
        FrameHolder holder(CRect(0, 0, 300, 200), nullptr, host.handle());
        CFrame* frame = holder.frame;
        ASSERT_TRUE(frame->isWindowOpen());
        frame->setBackgroundColor(CColor(10, 200, 30));
        auto* button = new COnOffButton(CRect(20, 20, 60, 60), &listener, 7, nullptr);
        frame->addView(button);

        EXPECT_TRUE(idleUntil(frame, [&] { return host.pixel(250, 150) == rgb(10, 200, 30); }));
        ASSERT_EQ(xdotool("mousemove " + in + "40 40 click 1"), 0);
        EXPECT_TRUE(idleUntil(frame, [&] { return !listener.values.empty(); }));
        EXPECT_FLOAT_EQ(button->getValue(), 1.f);
    }
    // The frame's window is gone: the host's own black shows again.
    EXPECT_EQ(host.pixel(250, 150), rgb(0, 0, 0));
}

TEST_F(X11WindowTest, DoubleClicksWheelAndTypingArriveThroughTheWindow)
{
    if (!onPath("xdotool"))
        GTEST_SKIP() << "xdotool is not installed";
    HostWindow host(400, 300);
    ASSERT_TRUE(host.ok());
    const std::string in = "--window " + std::to_string(host.window) + " ";
    RecordingListener listener;
    FrameHolder holder(CRect(0, 0, 300, 200), nullptr, host.handle());
    CFrame* frame = holder.frame;
    ASSERT_TRUE(frame->isWindowOpen());
    auto* probe = new ProbeView(CRect(100, 20, 140, 60));
    probe->downResult = kMouseDownEventHandledButDontNeedMovedOrUpEvents;
    frame->addView(probe);
    auto* edit = new CTextEdit(CRect(20, 100, 200, 120), &listener, 92, "");
    frame->addView(edit);
    frame->idle();

    // Two quick clicks: the second press carries the double-click flag.
    ASSERT_EQ(xdotool("mousemove " + in + "120 40 click --repeat 2 --delay 60 1"), 0);
    EXPECT_TRUE(idleUntil(frame, [&] { return probe->downButtons.size() == 2; }));
    const std::vector<long>& downs = probe->downButtons;
    ASSERT_EQ(downs.size(), 2u);
    EXPECT_EQ(downs[0] & (kLButton | kDoubleClick), kLButton);
    EXPECT_EQ(downs[1] & (kLButton | kDoubleClick), kLButton | kDoubleClick);

    ASSERT_EQ(xdotool("click 5"), 0);
    EXPECT_TRUE(idleUntil(frame, [&] { return probe->events.back() == "wheel"; }));

    ASSERT_EQ(xdotool("mousemove " + in + "50 110 click 1"), 0);
    ASSERT_TRUE(idleUntil(frame, [&] { return edit->isEditing(); }));
    ASSERT_EQ(xdotool("type --delay 30 'Ab c'"), 0);
    ASSERT_EQ(xdotool("key BackSpace Return"), 0);
    EXPECT_TRUE(idleUntil(frame, [&] { return !listener.tags.empty(); }));
    EXPECT_STREQ(edit->getText(), "Ab ");
}

TEST_F(X11WindowTest, ABogusParentLeavesAWorkingOffscreenFrame)
{
    const auto start = std::chrono::steady_clock::now();
    auto* frame = new CFrame(CRect(0, 0, 50, 50), reinterpret_cast<void*>(0x7fffffff), nullptr);
    EXPECT_FALSE(frame->isWindowOpen());
    frame->setBackgroundColor(CColor(1, 2, 3));
    frame->idle();
    EXPECT_EQ(pixelAt(frame->getOffscreenSurface(), 10, 10), rgb(1, 2, 3));
    frame->close();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
}

TEST(X11WindowWithoutDisplay, FrameStaysOffscreenWhenDisplayIsUnset)
{
    const char* old = std::getenv("DISPLAY");
    const std::string saved = old ? old : "";
    unsetenv("DISPLAY");
    auto* frame = new CFrame(CRect(0, 0, 50, 50), reinterpret_cast<void*>(0x400001), nullptr);
    EXPECT_FALSE(frame->isWindowOpen());
    frame->addView(new ProbeView(CRect(0, 0, 10, 10)));
    frame->idle();
    EXPECT_EQ(mouseDown(frame, 5, 5), kMouseEventHandled);
    frame->close();
    if (old)
        setenv("DISPLAY", saved.c_str(), 1);
}
