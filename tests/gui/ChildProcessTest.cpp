// Helper programs beside the UI thread: stopping one leaves no process
// behind. (Arguments, answers and endings are tested through the file
// selector that runs them.)
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <chrono>

#include "DesktopStandIns.h"
#include "gui/ChildProcess.h"

using namespace guitest;
using Clock = std::chrono::steady_clock;

namespace {

pid_t firstLineAsPid(ChildProcess& p)
{
    eventually([&] {
        p.poll();
        return p.output().find('\n') != std::string::npos;
    });
    return static_cast<pid_t>(std::atoi(p.output().c_str()));
}

}  // namespace

// Stopping ends the program, by SIGKILL when it ignores SIGTERM, and reaps
// it; in its own group whatever it started goes too, while a launcher's
// program (a viewer) stays.
TEST(ChildProcess, StopEndsAndReapsTheProgramAndItsGroup)
{
    ChildProcess p;
    ASSERT_TRUE(p.start({"/bin/sh", "-c", "trap '' TERM; echo armed; exec /bin/sleep 30"}));
    firstLineAsPid(p);
    const pid_t stubborn = p.pid();
    const auto start = Clock::now();
    p.stop();
    EXPECT_TRUE(gone(stubborn));
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(2));
    EXPECT_EQ(p.state(), ChildProcess::State::Idle);

    const std::vector<std::string> parent = {"/bin/sh", "-c", "/bin/sleep 30 & echo $!; wait"};
    ASSERT_TRUE(p.start(parent));
    const pid_t helper = firstLineAsPid(p);
    ASSERT_GT(helper, 0);
    p.stop();
    EXPECT_TRUE(eventually([&] { return notRunning(helper); }));

    ChildProcess::Options launcher;
    launcher.ownGroup = false;
    ASSERT_TRUE(p.start(parent, launcher));
    const pid_t viewer = firstLineAsPid(p);
    ASSERT_GT(viewer, 0);
    const pid_t pid = p.pid();
    p.stop();
    EXPECT_TRUE(gone(pid));
    EXPECT_FALSE(notRunning(viewer));
    kill(viewer, SIGKILL);
}
