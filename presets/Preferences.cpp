#include "presets/Preferences.h"

#include <cerrno>
#include <cstdlib>

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include "presets/XPlatFile.h"

namespace {

// Encoded key names stay well within the 255 bytes of a file name, leaving
// room for the suffix of the temporary file a write goes through.
constexpr size_t kMaxEncodedKey = 180;

bool isPlainName(const std::string& s)
{
    return !s.empty() && s != "." && s != ".." && s.find('/') == std::string::npos &&
           s.find('\0') == std::string::npos;
}

std::string homeFolder()
{
    const char* home = std::getenv("HOME");
    if (home && home[0] == '/')
        return home;
    struct passwd entry;
    struct passwd* found = nullptr;
    char buffer[4096];
    if (::getpwuid_r(::getuid(), &entry, buffer, sizeof buffer, &found) == 0 && found && found->pw_dir &&
        found->pw_dir[0] == '/')
        return found->pw_dir;
    return std::string();
}

// $XDG_CONFIG_HOME when it is an absolute path (a relative one is to be
// ignored), else ~/.config.
std::string configHome()
{
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    if (xdg && xdg[0] == '/')
        return xdg;
    const std::string home = homeFolder();
    return home.empty() ? home : home + "/.config";
}

bool isKeptInKey(unsigned char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' || c == '-';
}

}  // namespace

Preferences::Preferences(const std::string& domain)
{
    if (!isPlainName(domain))
        return;
    std::string base = configHome();
    if (base.empty())
        return;
    while (base.size() > 1 && base.back() == '/')
        base.pop_back();
    dir = (base == "/" ? base : base + "/") + domain;
}

std::string Preferences::pathOf(const std::string& key) const
{
    static const char hex[] = "0123456789ABCDEF";
    if (dir.empty() || key.empty())
        return std::string();
    std::string name;
    for (unsigned char c : key) {
        if (isKeptInKey(c)) {
            name += static_cast<char>(c);
        } else {
            name += '%';
            name += hex[c >> 4];
            name += hex[c & 15];
        }
        if (name.size() > kMaxEncodedKey)
            return std::string();
    }
    return dir + "/" + name;
}

bool Preferences::makeFolder() const
{
    // Creates each missing folder on the way, private to the user as the
    // XDG base directory rules ask.
    for (size_t end = dir.find('/', 1);; end = dir.find('/', end + 1)) {
        const std::string part = dir.substr(0, end);
        if (::mkdir(part.c_str(), 0700) != 0 && errno != EEXIST)
            return false;
        if (end == std::string::npos)
            break;
    }
    struct stat st;
    return ::stat(dir.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool Preferences::getBytes(const std::string& key, std::vector<char>& value) const
{
    const std::string path = pathOf(key);
    return !path.empty() && XPlatReadFile(path, value, kMaxValueSize);
}

bool Preferences::getString(const std::string& key, std::string& value) const
{
    std::vector<char> bytes;
    if (!getBytes(key, bytes))
        return false;
    value.assign(bytes.begin(), bytes.end());
    return true;
}

bool Preferences::setBytes(const std::string& key, const void* data, size_t size)
{
    const std::string path = pathOf(key);
    return !path.empty() && makeFolder() && XPlatReplaceFile(path, data, size);
}

bool Preferences::setString(const std::string& key, const std::string& value)
{
    return setBytes(key, value.data(), value.size());
}

bool Preferences::remove(const std::string& key)
{
    const std::string path = pathOf(key);
    return !path.empty() && (::unlink(path.c_str()) == 0 || errno == ENOENT);
}
