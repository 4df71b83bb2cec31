// The editor in a real X server, as a Linux host shows it: the host makes a
// parent window, opens the editor into it through the dispatcher, calls idle
// about 30 times a second, and closes it again.
#include <xcb/xcb.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>

#include <gtest/gtest.h>

#include "tests/support/Xvfb.h"
#include "host/PluginHost.h"

namespace {

struct ParentWindow {
    explicit ParentWindow(const std::string& display, int16_t y = 0)
    {
        connection = xcb_connect(display.c_str(), nullptr);
        if (xcb_connection_has_error(connection))
            return;
        xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
        window = xcb_generate_id(connection);
        const uint32_t values[] = {screen->black_pixel};
        xcb_create_window(connection, XCB_COPY_FROM_PARENT, window, screen->root, 0, y, 782, 187, 0,
                          XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual, XCB_CW_BACK_PIXEL, values);
        xcb_map_window(connection, window);
        // A round trip, so the server has made the window before the
        // plug-in (another client) looks for it.
        free(xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr));
    }
    ~ParentWindow()
    {
        if (window)
            xcb_destroy_window(connection, window);
        xcb_disconnect(connection);
    }
    // The windows the editor put inside the parent.
    int children()
    {
        xcb_query_tree_reply_t* tree =
            xcb_query_tree_reply(connection, xcb_query_tree(connection, window), nullptr);
        int n = tree ? xcb_query_tree_children_length(tree) : -1;
        free(tree);
        return n;
    }
    // Fraction of pixels in the parent that are not plain black.
    double paintedFraction()
    {
        xcb_get_image_reply_t* image = xcb_get_image_reply(
            connection,
            xcb_get_image(connection, XCB_IMAGE_FORMAT_Z_PIXMAP, window, 0, 0, 782, 187, ~0u),
            nullptr);
        if (!image)
            return 0.0;
        const uint8_t* data = xcb_get_image_data(image);
        const int length = xcb_get_image_data_length(image);
        int painted = 0;
        for (int i = 0; i + 3 < length; i += 4)
            painted += (data[i] | data[i + 1] | data[i + 2]) != 0;
        free(image);
        return painted / (length / 4.0);
    }
    xcb_connection_t* connection = nullptr;
    xcb_window_t window = 0;
};

void idleFor(PluginHost& host, int calls)
{
    for (int i = 0; i < calls; ++i) {
        host.dispatch(effEditIdle);
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
    }
}

void xdotool(const std::string& display, const std::string& args)
{
    std::string command = "DISPLAY=" + display + " xdotool " + args + " >/dev/null 2>&1";
    ASSERT_EQ(system(command.c_str()), 0) << command;
}

}  // namespace

TEST(EditorWindow, OpensIntoTheHostsWindowAndClosesCleanly)
{
    Xvfb x;
    if (!x.running())
        GTEST_SKIP() << "Xvfb is not installed";
    setenv("DISPLAY", x.name().c_str(), 1);
    ParentWindow parent(x.name());
    ASSERT_FALSE(xcb_connection_has_error(parent.connection));

    std::string error;
    auto host = PluginHost::load(SYLVATONE_PLUGIN_PATH, &error);
    ASSERT_TRUE(host) << error;
    host->start(44100.0f, 512);

    for (int round = 0; round < 3; ++round) {
        ERect* rect = nullptr;
        ASSERT_EQ(host->dispatch(effEditGetRect, 0, 0, &rect), 1);
        EXPECT_EQ(rect->right - rect->left, 782);
        EXPECT_EQ(rect->bottom - rect->top, 187);
        void* parentId = reinterpret_cast<void*>(static_cast<uintptr_t>(parent.window));
        ASSERT_EQ(host->dispatch(effEditOpen, 0, 0, parentId), 1) << "round " << round;
        idleFor(*host, 5);
        EXPECT_EQ(parent.children(), 1);
        EXPECT_GT(parent.paintedFraction(), 0.9) << "the background is drawn";

        // A host's mouse: drag the LF gain knob up by 50 pixels (+0.2), which
        // the host records as one gesture of automated values.
        host->clearCalls();
        const float before = host->getParameter(15);
        const std::string window = std::to_string(parent.window);
        xdotool(x.name(), "mousemove --window " + window + " 172 59");
        idleFor(*host, 2);
        xdotool(x.name(), "mousedown 1");
        idleFor(*host, 2);
        for (int step = 0; step < 5; ++step) {
            xdotool(x.name(), "mousemove --window " + window + " 172 " + std::to_string(49 - 10 * step));
            idleFor(*host, 1);
        }
        xdotool(x.name(), "mouseup 1");
        idleFor(*host, 3);
        int begins = 0, ends = 0, automated = 0;
        for (const HostCall& c : host->calls()) {
            begins += c.opcode == audioMasterBeginEdit && c.index == 15;
            ends += c.opcode == audioMasterEndEdit && c.index == 15;
            automated += c.opcode == audioMasterAutomate && c.index == 15;
        }
        EXPECT_EQ(begins, 1) << "round " << round;
        EXPECT_EQ(ends, 1) << "round " << round;
        EXPECT_GT(automated, 0) << "round " << round;
        EXPECT_NEAR(host->getParameter(15), std::min(1.0f, before + 0.2f), 1e-4) << "round " << round;

        // A click on the saturation button switches it.
        const float sat = host->getParameter(7);
        xdotool(x.name(), "mousemove --window " + window + " 694 148 click 1");
        idleFor(*host, 3);
        EXPECT_NE(host->getParameter(7) > 0.5f, sat > 0.5f) << "round " << round;

        host->dispatch(effEditClose);
        idleFor(*host, 2);  // idle with the window closed does nothing
        EXPECT_EQ(parent.children(), 0) << "round " << round;
    }
    host->close();
}

TEST(EditorWindow, BadParentsAndMissingDisplaysFailCleanly)
{
    std::string error;
    auto host = PluginHost::load(SYLVATONE_PLUGIN_PATH, &error);
    ASSERT_TRUE(host) << error;

    // No X server at all.
    const char* saved = getenv("DISPLAY");
    std::string keep = saved ? saved : "";
    setenv("DISPLAY", ":4711", 1);
    EXPECT_EQ(host->dispatch(effEditOpen, 0, 0, reinterpret_cast<void*>(0x200001)), 0);
    host->dispatch(effEditIdle);
    host->dispatch(effEditClose);
    EXPECT_EQ(host->dispatch(effEditOpen, 0, 0, nullptr), 0);

    Xvfb x;
    if (x.running()) {
        // A parent window that does not exist.
        setenv("DISPLAY", x.name().c_str(), 1);
        EXPECT_EQ(host->dispatch(effEditOpen, 0, 0, reinterpret_cast<void*>(0x7fffffff)), 0);
        host->dispatch(effEditIdle);
        host->dispatch(effEditClose);
        // Still usable afterwards.
        ParentWindow parent(x.name());
        ASSERT_NE(parent.window, 0u);
        void* parentId = reinterpret_cast<void*>(static_cast<uintptr_t>(parent.window));
        EXPECT_EQ(host->dispatch(effEditOpen, 0, 0, parentId), 1);
        idleFor(*host, 2);
        host->dispatch(effEditClose);
    }
    if (saved)
        setenv("DISPLAY", keep.c_str(), 1);
    else
        unsetenv("DISPLAY");
    EXPECT_EQ(host->getParameter(15), 0.5f);
}

TEST(EditorWindow, TwoInstancesWithTheirWindowsOpenAtOnce)
{
    Xvfb x;
    if (!x.running())
        GTEST_SKIP() << "Xvfb is not installed";
    setenv("DISPLAY", x.name().c_str(), 1);
    ParentWindow first(x.name()), second(x.name(), 300);
    std::string error;
    auto a = PluginHost::load(SYLVATONE_PLUGIN_PATH, &error);
    auto b = PluginHost::load(SYLVATONE_PLUGIN_PATH, &error);
    ASSERT_TRUE(a && b) << error;
    for (int round = 0; round < 2; ++round) {
        ASSERT_EQ(a->dispatch(effEditOpen, 0, 0, reinterpret_cast<void*>(static_cast<uintptr_t>(first.window))), 1);
        ASSERT_EQ(b->dispatch(effEditOpen, 0, 0, reinterpret_cast<void*>(static_cast<uintptr_t>(second.window))), 1);
        for (int i = 0; i < 4; ++i) {
            idleFor(*a, 1);
            idleFor(*b, 1);
        }
        EXPECT_GT(first.paintedFraction(), 0.9);
        EXPECT_GT(second.paintedFraction(), 0.9);
        // Closing one leaves the other's pictures and window working.
        a->dispatch(effEditClose);
        idleFor(*b, 2);
        EXPECT_EQ(first.children(), 0);
        EXPECT_EQ(second.children(), 1);
        b->dispatch(effEditClose);
    }
    b->close();
    a->close();
}
