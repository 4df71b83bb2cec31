// A helper program (a file dialog, a viewer) run beside the host without
// ever waiting for it: started with posix_spawnp from an argument list (no
// shell, so any byte in an argument reaches the program as it is), its
// standard output collected through a non-blocking pipe, and its end taken
// up by poll() from the user interface's idle. stop() ends it and reaps it,
// so no zombie and no stray window outlive the object that ran it.
// UI thread only.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

class ChildProcess {
public:
    enum class State { Idle, Running, Exited, Signalled };

    struct Options {
        // Collect the program's standard output (otherwise it reads and
        // writes /dev/null).
        bool captureOutput = true;
        // Runs it in a process group of its own, and stop() ends that whole
        // group: a dialog and anything it started go together. Without it
        // stop() ends only the program itself, so what it launched for the
        // user (a document viewer) stays open.
        bool ownGroup = true;
    };

    ChildProcess() = default;
    ~ChildProcess() { stop(); }
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // Starts argv[0], looked up on PATH, with argv as its arguments. False,
    // and nothing running, when the program is missing or cannot run, or
    // when one started by this object is still running.
    bool start(const std::vector<std::string>& argv);
    bool start(const std::vector<std::string>& argv, const Options& options);

    // Takes what the program has written so far and, once it has ended,
    // reaps it. Never waits. True while it runs.
    bool poll();

    // Ends a running program: SIGTERM, then SIGKILL when it is still there
    // after a short grace (0.1 s), and reaps it. Afterwards the state is Idle
    // and the output is dropped, whether it ran or not.
    void stop();

    State state() const { return current; }
    bool running() const { return current == State::Running; }
    // True once the program has ended with exit status 0.
    bool succeeded() const { return current == State::Exited && status == 0; }
    // The exit status after Exited (-1 when someone else reaped it), the
    // signal's number after Signalled.
    int exitStatus() const { return status; }
    pid_t pid() const { return child; }
    const std::string& output() const { return collected; }

    // The most output kept; a program that writes more loses the rest.
    static constexpr size_t kMaxOutput = 1 << 20;

private:
    void drain();
    void closePipe();
    // Reaps the program without waiting; true when it has ended.
    bool reap(int flags);

    State current = State::Idle;
    pid_t child = -1;
    bool signalsGroup = false;
    int pipeFd = -1;
    int status = 0;
    std::string collected;
};
