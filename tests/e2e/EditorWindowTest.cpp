// The editor in a real X server, as a Linux host shows it: the host makes a
// parent window, opens the editor into it through the dispatcher, calls idle
// about 30 times a second, and closes it again.
#include <xcb/xcb.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <initializer_list>
#include <string>
#include <thread>

#include <gtest/gtest.h>

#include "tests/support/ParentWindow.h"
#include "tests/support/Xvfb.h"
#include "host/PluginHost.h"

namespace {

// Idle calls to each host in turn, as a host's timer makes them.
void idle(std::initializer_list<PluginHost*> hosts, int calls)
{
    for (int i = 0; i < calls; ++i) {
        for (PluginHost* host : hosts)
            host->dispatch(effEditIdle);
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
    }
}

// Mouse input on the server the test set DISPLAY to.
void xdotool(const std::string& args)
{
    ASSERT_EQ(system(("xdotool " + args + " >/dev/null 2>&1").c_str()), 0) << args;
}

std::unique_ptr<PluginHost> loadPlugin(const std::string& path = SYLVATONE_PLUGIN_PATH)
{
    std::string error;
    auto host = PluginHost::load(path, &error);
    EXPECT_TRUE(host) << error;
    return host;
}

}  // namespace

// Three rounds of open, drag, click and close, with a second instance's
// editor open beside it; then parents and displays that cannot be used.
TEST(EditorWindow, OpensIntoTheHostsWindowAndClosesCleanly)
{
    Xvfb x;
    if (!x.running())
        GTEST_SKIP() << "Xvfb is not installed";
    setenv("DISPLAY", x.name().c_str(), 1);
    ParentWindow parent(x.name()), beside(x.name(), 300);
    ASSERT_FALSE(xcb_connection_has_error(parent.connection));
    auto host = loadPlugin(), other = loadPlugin();
    ASSERT_TRUE(host && other);
    host->start(44100.0f, 512);

    for (int round = 0; round < 3; ++round) {
        ASSERT_EQ(host->dispatch(effEditOpen, 0, 0, parent.id()), 1) << "round " << round;
        ASSERT_EQ(other->dispatch(effEditOpen, 0, 0, beside.id()), 1) << "round " << round;
        idle({host.get(), other.get()}, 4);
        EXPECT_EQ(parent.children(), 1);
        EXPECT_GT(parent.paintedFraction(), 0.9) << "the background is drawn";
        EXPECT_GT(beside.paintedFraction(), 0.9);

        // A host's mouse: drag the LF gain knob up by 50 pixels (+0.2), which
        // the host records as one gesture of automated values.
        host->clearCalls();
        const float before = host->getParameter(15);
        const std::string move = "mousemove --window " + std::to_string(parent.window) + " ";
        for (std::string step : {"172 59", "mousedown 1", "172 49", "172 39", "172 29", "172 19",
                                 "172 9", "mouseup 1"}) {
            xdotool(step[0] == 'm' ? step : move + step);
            idle({host.get()}, 2);
        }
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
        xdotool(move + "694 148 click 1");
        idle({host.get()}, 3);
        EXPECT_NE(host->getParameter(7) > 0.5f, sat > 0.5f) << "round " << round;

        // Closing one leaves the other's pictures and window working; idle
        // with the window closed does nothing.
        host->dispatch(effEditClose);
        idle({host.get(), other.get()}, 2);
        EXPECT_EQ(parent.children(), 0) << "round " << round;
        EXPECT_EQ(beside.children(), 1) << "round " << round;
        other->dispatch(effEditClose);
    }

    // A parent window that does not exist, then no X server at all: refused
    // cleanly, changing nothing, and the editor opens again afterwards.
    const float kept = host->getParameter(15);
    for (void* bad : {reinterpret_cast<void*>(0x7fffffff), parent.id()}) {
        EXPECT_EQ(host->dispatch(effEditOpen, 0, 0, bad), 0);
        host->dispatch(effEditIdle);
        host->dispatch(effEditClose);
        setenv("DISPLAY", ":4711", 1);
    }
    EXPECT_EQ(host->dispatch(effEditOpen, 0, 0, nullptr), 0);
    setenv("DISPLAY", x.name().c_str(), 1);
    EXPECT_EQ(host->dispatch(effEditOpen, 0, 0, parent.id()), 1);
    idle({host.get()}, 2);
    host->dispatch(effEditClose);
    EXPECT_EQ(host->getParameter(15), kept);
    other->close();
    host->close();
}

// Many users copy only the .so into their VST folder: it carries its own
// pictures, so its window is the whole bundle's, pixel for pixel.
TEST(EditorWindow, TheLibraryAloneDrawsTheSameWindowAsTheBundle)
{
    Xvfb x;
    if (!x.running())
        GTEST_SKIP() << "Xvfb is not installed";
    setenv("DISPLAY", x.name().c_str(), 1);
    char folder[] = "/tmp/sylvatone-lone-XXXXXX";
    ASSERT_NE(mkdtemp(folder), nullptr);
    const std::string lone = std::string(folder) + "/Sylvatone.so";
    ASSERT_EQ(system(("cp '" + std::string(SYLVATONE_PLUGIN_PATH) + "' '" + lone + "'").c_str()), 0);

    ParentWindow bundled(x.name()), alone(x.name(), 300);
    auto withBundle = loadPlugin(), withoutBundle = loadPlugin(lone);
    ASSERT_TRUE(withBundle && withoutBundle);
    ASSERT_EQ(withBundle->dispatch(effEditOpen, 0, 0, bundled.id()), 1);
    ASSERT_EQ(withoutBundle->dispatch(effEditOpen, 0, 0, alone.id()), 1);
    idle({withBundle.get(), withoutBundle.get()}, 4);
    const std::string a = bundled.image(), b = alone.image();
    EXPECT_GT(bundled.paintedFraction(), 0.9);
    EXPECT_FALSE(a.empty());
    EXPECT_TRUE(a == b) << "the library alone draws a different window";
    withBundle->dispatch(effEditClose);
    withoutBundle->dispatch(effEditClose);
    withBundle->close();
    withoutBundle->close();
    system(("rm -rf '" + std::string(folder) + "'").c_str());
}

// As a user works the window with a real mouse and keyboard, here at 200 %
// (asked for through GDK_SCALE): the host is told the doubled size and the
// window fills it; a wheel notch on a gain is 0.5 dB; resting on a control
// brings its read-out and tooltip; the name field takes a new name typed
// over the old one; a click lands on the control drawn under the mouse.
TEST(EditorWindow, AtTwiceTheSizeWithARealMouseAndKeyboard)
{
    Xvfb x;
    if (!x.running())
        GTEST_SKIP() << "Xvfb is not installed";
    setenv("DISPLAY", x.name().c_str(), 1);
    setenv("GDK_SCALE", "2", 1);
    auto host = loadPlugin();
    ASSERT_TRUE(host);
    ERect* rect = nullptr;
    ASSERT_EQ(host->dispatch(effEditGetRect, 0, 0, &rect), 1);
    ASSERT_NE(rect, nullptr);
    EXPECT_EQ(rect->right, 1564);
    EXPECT_EQ(rect->bottom, 374);
    ParentWindow parent(x.name(), 0, 1564, 374);
    ASSERT_EQ(host->dispatch(effEditOpen, 0, 0, parent.id()), 1);
    idle({host.get()}, 3);
    EXPECT_GT(parent.paintedFraction(), 0.9) << "the doubled window is drawn whole";
    const std::string move = "mousemove --window " + std::to_string(parent.window) + " ";

    // Away from every control, then resting on the LF gain knob.
    xdotool(move + "1000 240");
    idle({host.get()}, 3);
    const std::string before = parent.image();
    xdotool(move + "344 118");
    idle({host.get()}, 35);  // about a second
    EXPECT_NE(parent.image(), before) << "no read-out or tooltip appeared";

    // Two notches up, one down: +0.5 dB in all.
    const float value = host->getParameter(15);
    for (const char* button : {"click 4", "click 4", "click 5"}) {
        xdotool(button);
        idle({host.get()}, 2);
    }
    EXPECT_NEAR(host->getParameter(15) * 60.0f, value * 60.0f + 1.0f, 1e-3);

    // The name field: a click selects the name, typing replaces it.
    xdotool(move + "460 356 click 1");
    idle({host.get()}, 2);
    xdotool("type --delay 20 'Upright'");
    xdotool("key Return");
    idle({host.get()}, 3);
    EXPECT_EQ(host->programName(), "Upright");

    const float sat = host->getParameter(7);
    xdotool(move + "1388 296 click 1");
    idle({host.get()}, 3);
    EXPECT_NE(host->getParameter(7) > 0.5f, sat > 0.5f) << "the click at twice the SAT button's place switches it";
    host->dispatch(effEditClose);
    host->close();
    unsetenv("GDK_SCALE");
}
