#include "host/AudioFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstring>
#include <vector>

#include "host/HostError.h"

namespace {

// Temporaries the signal handler removes; a handful is all one command has
// pending at a time.
constexpr int kSlots = 8;
char pendingPaths[kSlots][PATH_MAX];
volatile sig_atomic_t pendingUsed[kSlots];

void onStopSignal(int sig)
{
    for (int i = 0; i < kSlots; ++i)
        if (pendingUsed[i])
            unlink(pendingPaths[i]);
    signal(sig, SIG_DFL);
    raise(sig);
}

int registerPending(const std::string& path)
{
    if (path.size() >= PATH_MAX)
        return -1;
    for (int i = 0; i < kSlots; ++i)
        if (!pendingUsed[i]) {
            memcpy(pendingPaths[i], path.c_str(), path.size() + 1);
            pendingUsed[i] = 1;
            return i;
        }
    return -1;
}

void unregisterPending(int slot)
{
    if (slot >= 0)
        pendingUsed[slot] = 0;
}

std::string extensionOf(const std::string& path)
{
    size_t slash = path.find_last_of('/');
    size_t dot = path.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return "";
    std::string ext = path.substr(dot + 1);
    for (char& c : ext)
        c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
    return ext;
}

bool formatWorks(int format, int channels, int rate)
{
    SF_INFO info{};
    info.format = format;
    info.channels = channels;
    info.samplerate = rate;
    return sf_format_check(&info) != 0;
}

}  // namespace

AudioReader::AudioReader(const std::string& path) : path(path)
{
    if (access(path.c_str(), R_OK) != 0)
        throw HostError("cannot read " + path + ": " + strerror(errno));
    file = sf_open(path.c_str(), SFM_READ, &info);
    if (!file)
        throw HostError("cannot read " + path + ": " + sf_strerror(nullptr));
}

AudioReader::~AudioReader()
{
    if (file)
        sf_close(file);
}

size_t AudioReader::counted(sf_count_t got, size_t n)
{
    if (got < static_cast<sf_count_t>(n) && sf_error(file) != SF_ERR_NO_ERROR)
        throw HostError("cannot read " + path + ": " + sf_strerror(file));
    got = std::max<sf_count_t>(got, 0);
    consumed += got;
    return static_cast<size_t>(got);
}

size_t AudioReader::read(float* frames, size_t n)
{
    return counted(sf_readf_float(file, frames, static_cast<sf_count_t>(n)), n);
}

size_t AudioReader::read(double* frames, size_t n)
{
    return counted(sf_readf_double(file, frames, static_cast<sf_count_t>(n)), n);
}

void AudioReader::checkComplete() const
{
    std::string cut;
    if (info.frames != SF_COUNT_MAX && consumed < info.frames)
        cut = std::to_string(consumed) + " of the " + std::to_string(info.frames) +
              " frames it announces";
    // libsndfile shortens a data chunk that runs past the end of the file to
    // what is there, and notes it in its log; a FLAC decoder that lost sync
    // is noted there too while the reads go on.
    char log[8192] = {};
    sf_command(file, SFC_GET_LOG_INFO, log, sizeof log - 1);
    std::string line;
    for (const char* p = log; cut.empty() && *p; ++p) {
        if (*p != '\n') {
            line += *p;
            continue;
        }
        line.erase(0, line.find_first_not_of(' '));
        const bool dataChunk = line.rfind("data :", 0) == 0 || line.rfind("SSND :", 0) == 0;
        if (dataChunk && line.find("(should be") != std::string::npos)
            cut = "its audio data is shorter than its header says";
        else if (line.rfind("ERROR", 0) == 0)
            cut = "the decoder reports \"" + line + "\"";
        line.clear();
    }
    if (!cut.empty())
        throw HostError(path + " is cut short or damaged: " + cut);
}

namespace {

// The file a name stands for: a symbolic link (or a chain of them, dangling
// or not) is followed to its target, so the file replaced is the target and
// the link stays.
std::string followLinks(std::string path)
{
    for (int hops = 0; hops < 40; ++hops) {
        struct stat st {};
        if (lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode))
            return path;
        std::vector<char> target(static_cast<size_t>(st.st_size > 0 ? st.st_size : PATH_MAX) + 1);
        ssize_t n = readlink(path.c_str(), target.data(), target.size() - 1);
        if (n < 0)
            return path;
        std::string next(target.data(), static_cast<size_t>(n));
        size_t slash = path.find_last_of('/');
        if (next[0] != '/' && slash != std::string::npos)
            next = path.substr(0, slash + 1) + next;
        path = next;
    }
    throw HostError("cannot write " + path + ": too many levels of symbolic links");
}

}  // namespace

PendingFile::PendingFile(const std::string& given) : finalPath(followLinks(given))
{
    const std::string& path = finalPath;
    checkOutputPath(path);
    size_t slash = path.find_last_of('/');
    std::string dir = slash == std::string::npos ? "." : path.substr(0, slash + 1);
    std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
    if (base.empty())
        throw HostError("cannot write " + path + ": not a file name");
    std::string pattern = (slash == std::string::npos ? "" : dir) + "." + base + ".tmp-XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    descriptor = mkstemp(name.data());
    if (descriptor < 0)
        throw HostError("cannot write " + path + ": " + strerror(errno));
    tempPath = name.data();
    slot = registerPending(tempPath);
    // mkstemp makes the file private: a file replaced keeps its mode (and
    // owner, where that is allowed); a new one gets the mode any new file gets.
    struct stat old {};
    if (stat(path.c_str(), &old) == 0 && S_ISREG(old.st_mode)) {
        fchmod(descriptor, old.st_mode & 07777);
        if (fchown(descriptor, old.st_uid, old.st_gid) != 0) {
            // Only the owner's group or root may give the file away; the
            // mode set above is what matters most.
        }
    } else {
        mode_t mask = umask(0);
        umask(mask);
        fchmod(descriptor, 0666 & ~mask);
    }
}

PendingFile::~PendingFile()
{
    if (descriptor >= 0)
        close(descriptor);
    if (!tempPath.empty())
        unlink(tempPath.c_str());
    unregisterPending(slot);
}

void PendingFile::commit()
{
    int fd = descriptor;
    descriptor = -1;
    if (close(fd) != 0)
        throw HostError("cannot write " + finalPath + ": " + strerror(errno));
    if (rename(tempPath.c_str(), finalPath.c_str()) != 0)
        throw HostError("cannot write " + finalPath + ": " + strerror(errno));
    tempPath.clear();
    unregisterPending(slot);
    slot = -1;
}

void writeFileCompletely(const std::string& path, const std::string& contents)
{
    PendingFile file(path);
    size_t done = 0;
    while (done < contents.size()) {
        ssize_t n = ::write(file.fd(), contents.data() + done, contents.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            throw HostError("cannot write " + path + ": " + strerror(errno));
        done += static_cast<size_t>(n);
    }
    file.commit();
}

void removePendingFilesOnSignals()
{
    for (int sig : {SIGINT, SIGTERM, SIGHUP})
        signal(sig, onStopSignal);
}

namespace {

struct OutputFormat {
    const char* extension;
    int major;
    int own;  // the sample type used when the input's does not fit
};

const OutputFormat kOutputFormats[] = {
    {"wav", SF_FORMAT_WAV, SF_FORMAT_FLOAT},       {"flac", SF_FORMAT_FLAC, SF_FORMAT_PCM_24},
    {"aiff", SF_FORMAT_AIFF, SF_FORMAT_FLOAT},     {"aif", SF_FORMAT_AIFF, SF_FORMAT_FLOAT},
    {"ogg", SF_FORMAT_OGG, SF_FORMAT_VORBIS},      {"opus", SF_FORMAT_OGG, SF_FORMAT_OPUS},
    {"mp3", SF_FORMAT_MPEG, SF_FORMAT_MPEG_LAYER_III},
};

int formatFor(const OutputFormat& f, int inputFormat, int channels, int rate)
{
    // sf_format_check passes Opus at any rate, but its encoder takes only these.
    if (f.own == SF_FORMAT_OPUS && rate != 8000 && rate != 12000 && rate != 16000 &&
        rate != 24000 && rate != 48000)
        return 0;
    const int same = f.major | (inputFormat & SF_FORMAT_SUBMASK);
    if (formatWorks(same, channels, rate))
        return same;
    return formatWorks(f.major | f.own, channels, rate) ? f.major | f.own : 0;
}

}  // namespace

void checkOutputPath(const std::string& path)
{
    struct stat st {};
    if ((!path.empty() && path.back() == '/') ||
        (stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode)))
        throw HostError("cannot write " + path + ": it is a directory; give a file name");
}

int outputFormatFor(const std::string& path, int inputFormat, int channels, int rate)
{
    const std::string ext = extensionOf(path);
    std::string writable;
    for (const OutputFormat& f : kOutputFormats) {
        const int format = formatFor(f, inputFormat, channels, rate);
        if (ext == f.extension && format)
            return format;
        if (format)
            writable += (writable.empty() ? "." : ", .") + std::string(f.extension);
    }
    const std::string what = ext.empty() ? "a name without an extension" : "." + ext;
    throw HostError("cannot write " + path + ": the output format comes from the extension, and " +
                    what + " is not one libsndfile writes here with " + std::to_string(channels) +
                    " channel(s) at " + std::to_string(rate) + " Hz (" + writable + ")");
}

AudioWriter::AudioWriter(const std::string& path, int format, int channels, int rate)
    : path(path), pending(path), channels(channels)
{
    int sub = format & SF_FORMAT_SUBMASK;
    integerSamples = sub != SF_FORMAT_FLOAT && sub != SF_FORMAT_DOUBLE && sub != SF_FORMAT_VORBIS &&
                     sub != SF_FORMAT_OPUS;
    SF_INFO info{};
    info.format = format;
    info.channels = channels;
    info.samplerate = rate;
    file = sf_open_fd(pending.fd(), SFM_WRITE, &info, SF_FALSE);
    if (!file)
        throw HostError("cannot write " + path + ": " + sf_strerror(nullptr));
    // Without this, samples beyond full scale wrap round in integer formats.
    sf_command(file, SFC_SET_CLIPPING, nullptr, SF_TRUE);
}

AudioWriter::~AudioWriter()
{
    if (file)
        sf_close(file);
}

template <typename T>
void AudioWriter::count(const T* frames, size_t n)
{
    if (!integerSamples)
        return;
    for (size_t i = 0; i < n * static_cast<size_t>(channels); ++i)
        clipped += frames[i] > T(1) || frames[i] < T(-1);
}

void AudioWriter::write(const float* frames, size_t n)
{
    count(frames, n);
    if (sf_writef_float(file, frames, static_cast<sf_count_t>(n)) != static_cast<sf_count_t>(n))
        throw HostError("cannot write " + path + ": " + sf_strerror(file));
}

void AudioWriter::write(const double* frames, size_t n)
{
    count(frames, n);
    if (sf_writef_double(file, frames, static_cast<sf_count_t>(n)) != static_cast<sf_count_t>(n))
        throw HostError("cannot write " + path + ": " + sf_strerror(file));
}

void AudioWriter::commit()
{
    int status = sf_close(file);
    file = nullptr;
    if (status != 0)
        throw HostError("cannot write " + path + ": " + sf_error_number(status));
    pending.commit();
}
