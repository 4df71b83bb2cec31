// A desktop made of stand-ins for one test. PATH holds only a scratch
// folder of scripts the test writes, and no session bus can be reached
// (unless the test starts its own), so no real dialog ever opens.
#pragma once

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace guitest {

class StandInDesktop {
public:
    StandInDesktop()
    {
        char pattern[] = "/tmp/sylvatone-desk-XXXXXX";
        root = mkdtemp(pattern);
        std::filesystem::create_directories(bin());
        std::filesystem::create_directories(root + "/run");
        for (const char* name : kVariables) {
            const char* value = std::getenv(name);
            saved.emplace_back(name, value ? value : "", value != nullptr);
        }
        setenv("PATH", bin().c_str(), 1);
        unsetenv("DBUS_SESSION_BUS_ADDRESS");
        setenv("XDG_RUNTIME_DIR", (root + "/run").c_str(), 1);
    }
    ~StandInDesktop()
    {
        for (const auto& [name, value, present] : saved) {
            if (present)
                setenv(name.c_str(), value.c_str(), 1);
            else
                unsetenv(name.c_str());
        }
        std::filesystem::remove_all(root);
    }
    StandInDesktop(const StandInDesktop&) = delete;
    StandInDesktop& operator=(const StandInDesktop&) = delete;

    std::string bin() const { return root + "/bin"; }
    std::string file(const std::string& name) const { return root + "/" + name; }

    // An executable /bin/sh script in bin. Only the scripts are on PATH, so
    // other programs are named with their full path.
    void script(const std::string& name, const std::string& body) const
    {
        const std::string path = bin() + "/" + name;
        std::ofstream(path) << "#!/bin/sh\n" << body << "\n";
        std::filesystem::permissions(path, std::filesystem::perms::owner_all);
    }
    // A dialog that writes its pid to NAME.pid, logs its arguments (one a
    // line, then "--end") to NAME.args, prints the bytes of answer, and
    // exits with status.
    void dialog(const std::string& name, const std::string& answer, int status = 0) const
    {
        std::ofstream(file(name + ".answer"), std::ios::binary) << answer;
        script(name, "echo $$ > '" + file(name + ".pid") + "'\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done >> '" +
                         file(name + ".args") +
                         "'\necho --end >> '" + file(name + ".args") + "'\n/bin/cat '" + file(name + ".answer") +
                         "'\nexit " + std::to_string(status));
    }
    std::string read(const std::string& name) const
    {
        std::ifstream in(file(name), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    // How often a dialog made by dialog() was started.
    int calls(const std::string& name) const
    {
        const std::string log = read(name + ".args");
        int n = 0;
        for (size_t at = log.find("--end\n"); at != std::string::npos; at = log.find("--end\n", at + 1))
            ++n;
        return n;
    }

private:
    struct Saved {
        std::string name, value;
        bool present;
        Saved(std::string n, std::string v, bool p) : name(std::move(n)), value(std::move(v)), present(p) {}
    };
    static constexpr const char* kVariables[] = {"PATH", "DBUS_SESSION_BUS_ADDRESS", "XDG_RUNTIME_DIR", "HOME"};
    std::string root;
    std::vector<Saved> saved;
};

// Calls step every 5 ms until it returns true; false after timeout.
inline bool eventually(const std::function<bool()>& step,
                       std::chrono::milliseconds timeout = std::chrono::milliseconds(10000))
{
    const auto until = std::chrono::steady_clock::now() + timeout;
    while (!step()) {
        if (std::chrono::steady_clock::now() > until)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

// The pid a stand-in wrote to a file, once it is there.
inline pid_t pidIn(const StandInDesktop& desktop, const std::string& name)
{
    pid_t pid = 0;
    eventually([&] {
        pid = static_cast<pid_t>(std::atoi(desktop.read(name).c_str()));
        return pid > 0;
    });
    return pid;
}

// True when no process pid exists any more: neither running nor a zombie
// waiting to be reaped (a zombie still takes signal 0).
inline bool gone(pid_t pid)
{
    return pid > 0 && kill(pid, 0) != 0 && errno == ESRCH;
}

// True when pid no longer runs: gone, or a zombie left for its parent. For
// a process that is not our child, whose reaping is not ours to check.
inline bool notRunning(pid_t pid)
{
    if (gone(pid))
        return true;
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    const std::string stat(std::istreambuf_iterator<char>(in), {});
    const size_t close = stat.rfind(')');
    return close != std::string::npos && stat.compare(close + 1, 3, " Z ") == 0;
}

}  // namespace guitest
