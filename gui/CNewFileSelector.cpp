#include "gui/CNewFileSelector.h"

#include <cerrno>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {
const char* const kDialogProgram = "zenity";

// Runs argv with its standard output captured; false when it could not start
// or did not exit with status 0.
bool runCapturing(const std::vector<std::string>& args, std::string& output)
{
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0)
        return false;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);

    std::vector<char*> argv;
    for (const std::string& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);

    pid_t pid = 0;
    const int spawned = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(fds[1]);
    if (spawned != 0) {
        close(fds[0]);
        return false;
    }
    char buffer[4096];
    for (;;) {
        const ssize_t n = read(fds[0], buffer, sizeof buffer);
        if (n > 0)
            output.append(buffer, static_cast<size_t>(n));
        else if (n == 0 || errno != EINTR)
            break;
    }
    close(fds[0]);
    int status = 0;
    while (waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR)
            return false;
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

bool hasExtension(const std::string& path)
{
    const size_t slash = path.find_last_of('/');
    const size_t dot = path.find_last_of('.');
    return dot != std::string::npos && (slash == std::string::npos || dot > slash + 1);
}
} // namespace

CNewFileSelector* CNewFileSelector::create(CFrame*, Style style)
{
    return new CNewFileSelector(style);
}

void CNewFileSelector::setTitle(const char* t)
{
    title = t ? t : "";
}

void CNewFileSelector::setInitialDirectory(const char* path)
{
    initialDirectory = path ? path : "";
}

void CNewFileSelector::setDefaultSaveName(const char* name)
{
    defaultSaveName = name ? name : "";
}

void CNewFileSelector::setDefaultExtension(const CFileExtension& extension)
{
    defaultExtension = extension.getExtension();
    bool known = false;
    for (const CFileExtension& e : extensions)
        known = known || defaultExtension == e.getExtension();
    if (!known)
        extensions.insert(extensions.begin(), extension);
}

void CNewFileSelector::addFileExtension(const CFileExtension& extension)
{
    extensions.push_back(extension);
}

const char* CNewFileSelector::getSelectedFile(long index) const
{
    if (index < 0 || index >= getNumSelectedFiles())
        return nullptr;
    return selected[static_cast<size_t>(index)].c_str();
}

std::vector<std::string> CNewFileSelector::buildArguments() const
{
    std::vector<std::string> args{"--file-selection"};
    if (style == kSelectSaveFile)
        args.insert(args.end(), {"--save", "--confirm-overwrite"});
    else if (allowMultiFileSelection)
        args.insert(args.end(), {"--multiple", "--separator=\n"});
    if (!title.empty())
        args.push_back("--title=" + title);

    std::string start = initialDirectory;
    if (!start.empty() && start.back() != '/')
        start += '/';
    if (style == kSelectSaveFile)
        start += defaultSaveName;
    if (!start.empty())
        args.push_back("--filename=" + start);

    for (const CFileExtension& e : extensions)
        args.push_back(std::string("--file-filter=") + e.getDescription() + " | *." +
                       e.getExtension());
    if (!extensions.empty())
        args.push_back("--file-filter=All files | *");
    return args;
}

bool CNewFileSelector::runModal()
{
    selected.clear();
    std::vector<std::string> command{kDialogProgram};
    const std::vector<std::string> args = buildArguments();
    command.insert(command.end(), args.begin(), args.end());
    std::string output;
    if (!runCapturing(command, output))
        return false;

    size_t start = 0;
    while (start < output.size()) {
        size_t end = output.find('\n', start);
        if (end == std::string::npos)
            end = output.size();
        std::string path = output.substr(start, end - start);
        if (!path.empty()) {
            if (style == kSelectSaveFile && !defaultExtension.empty() && !hasExtension(path))
                path += "." + defaultExtension;
            selected.push_back(path);
        }
        start = end + 1;
    }
    if (!allowMultiFileSelection && selected.size() > 1)
        selected.resize(1);
    return !selected.empty();
}
