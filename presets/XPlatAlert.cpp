#include "presets/XPlatAlert.h"

#include <spawn.h>
#include <sys/wait.h>

#include <string>

#include "gui/CAlertBox.h"

extern char** environ;

namespace {

bool runZenity(const char* text)
{
    const std::string message = std::string("--text=") + text;
    const char* argv[] = {"zenity", "--warning", "--no-markup", message.c_str(), "--ok-label=OK",
                          nullptr};
    pid_t pid;
    if (posix_spawnp(&pid, "zenity", nullptr, nullptr, const_cast<char**>(argv), environ) != 0)
        return false;
    int status = 0;
    if (waitpid(pid, &status, 0) < 0)
        return false;
    // 127: the shell could not find it; anything else means it was shown.
    return !(WIFEXITED(status) && WEXITSTATUS(status) == 127);
}

}  // namespace

void XPlatDisplayAlert(const char* text, CFrame* frame)
{
    if (text && !runZenity(text))
        CAlertBox::show(frame, text);
}
