// A private X server for window tests: Xvfb picks a free display itself and
// says which one once it accepts connections. Tests skip themselves when
// Xvfb is not installed.
#pragma once

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <xcb/xcb.h>

#include <cstdlib>
#include <string>

class Xvfb {
public:
    Xvfb()
    {
        if (system("command -v Xvfb >/dev/null 2>&1") != 0)
            return;
        int fds[2];
        if (pipe(fds) != 0)
            return;
        pid = fork();
        if (pid == 0) {
            close(fds[0]);
            const std::string fd = std::to_string(fds[1]);
            execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-noreset", "-screen", "0", "1920x1080x24",
                   "-nolisten", "tcp", static_cast<char*>(nullptr));
            _exit(127);
        }
        close(fds[1]);
        // The server writes its display number when it is ready.
        std::string number;
        pollfd p{fds[0], POLLIN, 0};
        while (pid > 0 && poll(&p, 1, 10000) > 0) {
            char c;
            if (read(fds[0], &c, 1) != 1 || c == '\n')
                break;
            number += c;
        }
        close(fds[0]);
        if (number.empty()) {
            stop();
            return;
        }
        display = ":" + number;
        // Make sure clients really get through before the test starts.
        for (int attempt = 0; attempt < 50; ++attempt) {
            xcb_connection_t* c = xcb_connect(display.c_str(), nullptr);
            const bool ok = !xcb_connection_has_error(c);
            xcb_disconnect(c);
            if (ok)
                return;
            usleep(100000);
        }
        stop();
    }
    ~Xvfb() { stop(); }

    bool running() const { return pid > 0; }
    const std::string& name() const { return display; }

private:
    void stop()
    {
        if (pid > 0) {
            kill(pid, SIGTERM);
            waitpid(pid, nullptr, 0);
        }
        pid = -1;
    }

    pid_t pid = -1;
    std::string display;
};
