#include "gui/ChildProcess.h"

#include <cerrno>
#include <csignal>
#include <ctime>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

// How long stop() lets a program end on SIGTERM before it is killed.
constexpr int kGraceMilliseconds = 100;

// Closes what start() opened, whichever way it returns.
struct SpawnSetup {
    posix_spawn_file_actions_t actions;
    posix_spawnattr_t attributes;
    SpawnSetup()
    {
        posix_spawn_file_actions_init(&actions);
        posix_spawnattr_init(&attributes);
    }
    ~SpawnSetup()
    {
        posix_spawn_file_actions_destroy(&actions);
        posix_spawnattr_destroy(&attributes);
    }
    SpawnSetup(const SpawnSetup&) = delete;
    SpawnSetup& operator=(const SpawnSetup&) = delete;
};

void sleepMilliseconds(long ms)
{
    timespec t{0, ms * 1000000L};
    while (nanosleep(&t, &t) != 0 && errno == EINTR) {
    }
}

}  // namespace

bool ChildProcess::start(const std::vector<std::string>& argv)
{
    return start(argv, Options());
}

bool ChildProcess::start(const std::vector<std::string>& argv, const Options& options)
{
    if (current == State::Running || argv.empty() || argv[0].empty())
        return false;
    stop();

    int fds[2] = {-1, -1};
    if (options.captureOutput) {
        if (pipe2(fds, O_CLOEXEC) != 0)
            return false;
        // Only our end: the program writes to a blocking pipe as usual.
        fcntl(fds[0], F_SETFL, fcntl(fds[0], F_GETFL) | O_NONBLOCK);
    }

    SpawnSetup setup;
    posix_spawn_file_actions_addopen(&setup.actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    if (options.captureOutput)
        posix_spawn_file_actions_adddup2(&setup.actions, fds[1], STDOUT_FILENO);
    else
        posix_spawn_file_actions_addopen(&setup.actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&setup.actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);

    // The host may block or ignore signals on its thread; the program starts
    // with the usual ones, so SIGTERM reaches it and a closed pipe ends it.
    short flags = POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF;
    sigset_t none, defaults;
    sigemptyset(&none);
    sigemptyset(&defaults);
    for (int s : {SIGTERM, SIGINT, SIGHUP, SIGQUIT, SIGPIPE, SIGCHLD, SIGALRM, SIGUSR1, SIGUSR2})
        sigaddset(&defaults, s);
    posix_spawnattr_setsigmask(&setup.attributes, &none);
    posix_spawnattr_setsigdefault(&setup.attributes, &defaults);
    if (options.ownGroup) {
        flags |= POSIX_SPAWN_SETPGROUP;
        posix_spawnattr_setpgroup(&setup.attributes, 0);
    }
    posix_spawnattr_setflags(&setup.attributes, flags);

    std::vector<char*> args;
    args.reserve(argv.size() + 1);
    for (const std::string& a : argv)
        args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);

    pid_t pid = -1;
    // glibc reports a program that is missing or cannot run here, as the
    // error of the call, rather than as an exit status later.
    const int error = posix_spawnp(&pid, args[0], &setup.actions, &setup.attributes, args.data(), environ);
    if (fds[1] >= 0)
        close(fds[1]);
    if (error != 0) {
        if (fds[0] >= 0)
            close(fds[0]);
        return false;
    }
    child = pid;
    signalsGroup = options.ownGroup;
    pipeFd = fds[0];
    current = State::Running;
    return true;
}

void ChildProcess::drain()
{
    char buffer[16384];
    while (pipeFd >= 0) {
        const ssize_t n = read(pipeFd, buffer, sizeof buffer);
        if (n > 0) {
            const size_t room = kMaxOutput - collected.size();
            collected.append(buffer, static_cast<size_t>(n) < room ? static_cast<size_t>(n) : room);
        } else if (n == 0) {
            closePipe();  // every writer has closed it
        } else if (errno != EINTR) {
            return;  // EAGAIN: nothing more for now
        }
    }
}

void ChildProcess::closePipe()
{
    if (pipeFd >= 0)
        close(pipeFd);
    pipeFd = -1;
}

bool ChildProcess::reap(int flags)
{
    int raw = 0;
    pid_t r;
    do
        r = waitpid(child, &raw, flags);
    while (r < 0 && errno == EINTR);
    if (r == 0)
        return false;
    if (r < 0) {
        // Reaped by someone else (a host that ignores SIGCHLD): its status
        // is lost, so it counts as a failure.
        current = State::Exited;
        status = -1;
    } else if (WIFSIGNALED(raw)) {
        current = State::Signalled;
        status = WTERMSIG(raw);
    } else {
        current = State::Exited;
        status = WEXITSTATUS(raw);
    }
    return true;
}

bool ChildProcess::poll()
{
    if (current != State::Running)
        return false;
    drain();
    if (!reap(WNOHANG))
        return true;
    // What it wrote before it ended is in the pipe now; anything it left
    // running that still holds the pipe is not waited for.
    drain();
    closePipe();
    return false;
}

void ChildProcess::stop()
{
    if (current == State::Running) {
        const pid_t target = signalsGroup ? -child : child;
        kill(target, SIGTERM);
        bool ended = reap(WNOHANG);
        for (int waited = 0; !ended && waited < kGraceMilliseconds; waited += 2) {
            sleepMilliseconds(2);
            ended = reap(WNOHANG);
        }
        if (!ended) {
            kill(target, SIGKILL);
            reap(0);
        }
        // Whatever of its group outlived it (a helper it started).
        if (signalsGroup)
            kill(-child, SIGKILL);
    }
    closePipe();
    collected.clear();
    current = State::Idle;
    child = -1;
    status = 0;
}
