#include "presets/XPlatFile.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdlib>
#include <memory>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Closes the descriptor it holds when it goes out of scope.
class Descriptor {
public:
    explicit Descriptor(int handle) : fd(handle) {}
    ~Descriptor()
    {
        if (fd >= 0)
            ::close(fd);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;

    int get() const { return fd; }
    // Closes now and reports whether the close succeeded: on some file
    // systems a write error only shows here.
    bool close()
    {
        const int f = fd;
        fd = -1;
        return ::close(f) == 0;
    }

private:
    int fd;
};

bool writeAll(int fd, const char* data, size_t size)
{
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

// The file a save really replaces: the target of a symbolic link, so that
// the link itself survives. Empty when a link leads nowhere.
std::string resolveTarget(const std::string& path)
{
    struct stat st;
    if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode))
        return path;
    std::unique_ptr<char, decltype(&free)> real(::realpath(path.c_str(), nullptr), &free);
    return real ? std::string(real.get()) : std::string();
}

// Creates a temporary file next to the target, named after it and hidden,
// unique to this process and call. Returns its descriptor, -1 on failure.
int createTemporary(const std::string& dir, const std::string& name, std::string& tempPath)
{
    static std::atomic<unsigned> counter{0};
    // Keep the whole name within the 255 bytes a file name may have.
    const std::string base = name.substr(0, 200);
    for (int attempt = 0; attempt < 16; ++attempt) {
        const auto ticks = std::chrono::steady_clock::now().time_since_epoch().count();
        tempPath = dir + "." + base + ".tmp-" + std::to_string(::getpid()) + "-" + std::to_string(counter++) + "-" +
                   std::to_string(static_cast<unsigned long long>(ticks) % 1000000007ull);
        // 0666 lets the umask decide, as for any new file of the user.
        const int fd = ::open(tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    return -1;
}

// Makes a finished rename durable. A failure here is not reported: the new
// content is already in place.
void syncFolder(const std::string& dir)
{
    const int fd = ::open(dir.empty() ? "." : dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

}  // namespace

bool XPlatGetFileNameAndDir(const std::string& path, std::string& name, std::string& dir)
{
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return false;
    name = path.substr(slash + 1);
    dir = path.substr(0, slash + 1);
    return true;
}

bool XPlatReadFile(const std::string& path, std::vector<char>& out, size_t maxBytes)
{
    // O_NONBLOCK keeps a FIFO from blocking the open; it is refused below.
    Descriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    if (fd.get() < 0)
        return false;
    struct stat st;
    if (::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode))
        return false;
    // The size is only a hint: the file may change while it is read, so read
    // to the end and check the cap on what really came.
    std::vector<char> data;
    data.reserve(std::min<size_t>(static_cast<size_t>(std::max<off_t>(st.st_size, 0)), maxBytes) + 1);
    char chunk[16384];
    for (;;) {
        const ssize_t n = ::read(fd.get(), chunk, sizeof chunk);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (n == 0)
            break;
        if (static_cast<size_t>(n) > maxBytes - data.size())
            return false;
        data.insert(data.end(), chunk, chunk + n);
    }
    out.swap(data);
    return true;
}

bool XPlatReplaceFile(const std::string& path, const void* data, size_t size)
{
    if (!data && size > 0)
        return false;
    const std::string target = resolveTarget(path);
    std::string name, dir;
    if (!XPlatGetFileNameAndDir(target, name, dir))
        name = target;
    if (name.empty() || name == "." || name == "..")
        return false;

    struct stat old;
    const bool exists = ::stat(target.c_str(), &old) == 0;
    if (exists && (!S_ISREG(old.st_mode) || ::faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0))
        return false;

    std::string tempPath;
    Descriptor fd(createTemporary(dir, name, tempPath));
    if (fd.get() < 0)
        return false;
    bool ok = writeAll(fd.get(), static_cast<const char*>(data), size);
    // Best effort: some file systems (FAT on a memory stick) keep no modes.
    if (ok && exists)
        (void)::fchmod(fd.get(), old.st_mode & 07777);
    ok = ok && ::fsync(fd.get()) == 0;
    ok = fd.close() && ok;
    ok = ok && ::rename(tempPath.c_str(), target.c_str()) == 0;
    if (!ok) {
        ::unlink(tempPath.c_str());
        return false;
    }
    syncFolder(dir);
    return true;
}
