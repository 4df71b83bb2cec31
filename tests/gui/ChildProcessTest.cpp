// Helper programs beside the UI thread: every byte of an argument reaches
// the program, output is collected without ever waiting, the end is told
// apart (exit status, signal, missing program), and stopping leaves no
// process behind.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <chrono>

#include "DesktopStandIns.h"
#include "gui/ChildProcess.h"

using namespace guitest;
using Clock = std::chrono::steady_clock;

namespace {

// Polls as an idle would until the program has ended.
void runToEnd(ChildProcess& p)
{
    ASSERT_TRUE(eventually([&] { return !p.poll(); }));
}

pid_t firstLineAsPid(ChildProcess& p)
{
    eventually([&] {
        p.poll();
        return p.output().find('\n') != std::string::npos;
    });
    return static_cast<pid_t>(std::atoi(p.output().c_str()));
}

}  // namespace

TEST(ChildProcess, ArgumentsAndOutputKeepEveryByte)
{
    const std::vector<std::string> hostile = {"it's \"quoted\"", "two  words", "line\nbreak", "-rf", "--",
                                              "\xff\xfe not UTF-8", "", "$(touch /tmp/x) `id` *", "back\\slash"};
    std::vector<std::string> argv = {"/bin/sh", "-c", "for a in \"$@\"; do printf '%s|' \"$a\"; done", "sh"};
    argv.insert(argv.end(), hostile.begin(), hostile.end());
    ChildProcess p;
    ASSERT_TRUE(p.start(argv));
    runToEnd(p);
    std::string expected;
    for (const std::string& a : hostile)
        expected += a + "|";
    EXPECT_EQ(p.output(), expected);
    EXPECT_TRUE(p.succeeded());

    // More than a pipe holds comes over several polls; past the cap it is
    // dropped, and the program is not held up by it.
    for (const size_t bytes : {size_t(300000), ChildProcess::kMaxOutput + 500000}) {
        ASSERT_TRUE(p.start({"/usr/bin/head", "-c", std::to_string(bytes), "/dev/zero"}));
        runToEnd(p);
        EXPECT_EQ(p.output().size(), std::min(bytes, ChildProcess::kMaxOutput));
        EXPECT_TRUE(p.succeeded());
    }
}

TEST(ChildProcess, TellsAnExitStatusFromASignalAndAMissingProgram)
{
    ChildProcess p;
    ASSERT_TRUE(p.start({"/bin/sh", "-c", "echo partial; exit 3"}));
    runToEnd(p);
    EXPECT_EQ(p.state(), ChildProcess::State::Exited);
    EXPECT_EQ(p.exitStatus(), 3);
    EXPECT_FALSE(p.succeeded());
    EXPECT_EQ(p.output(), "partial\n");

    ASSERT_TRUE(p.start({"/bin/sh", "-c", "echo before; kill -SEGV $$"}));
    runToEnd(p);
    EXPECT_EQ(p.state(), ChildProcess::State::Signalled);
    EXPECT_EQ(p.exitStatus(), SIGSEGV);
    EXPECT_FALSE(p.succeeded());

    StandInDesktop desktop;  // PATH: an empty folder
    std::ofstream(desktop.file("plain")) << "not a program\n";
    for (const std::vector<std::string>& argv :
         {std::vector<std::string>{"zenity"}, {"/no/such/program"}, {desktop.file("plain")}, {}, {""}}) {
        EXPECT_FALSE(p.start(argv)) << (argv.empty() ? "(none)" : argv[0]);
        EXPECT_EQ(p.state(), ChildProcess::State::Idle);
        EXPECT_FALSE(p.poll());
    }
}

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
