// Audio files through libsndfile. Every output file (audio, picture, table)
// is written under a temporary name beside its final one and renamed over it
// only when complete, so a failed run never leaves a partial file behind or
// spoils an older one.
#pragma once

#include <sndfile.h>

#include <cstdint>
#include <string>

class AudioReader {
public:
    // Opens any file libsndfile reads; HostError when it cannot.
    explicit AudioReader(const std::string& path);
    ~AudioReader();
    AudioReader(const AudioReader&) = delete;
    AudioReader& operator=(const AudioReader&) = delete;

    int channels() const { return info.channels; }
    int sampleRate() const { return info.samplerate; }
    int64_t frames() const { return info.frames; }
    int format() const { return info.format; }

    // Reads up to n interleaved frames (scaled to full scale 1.0); fewer
    // only at the end of the file.
    // HostError on a read error.
    size_t read(float* frames, size_t n);
    size_t read(double* frames, size_t n);
    // After the last read: HostError when the file held less audio than its
    // header promised (cut short, or damaged so the decoder lost its way).
    void checkComplete() const;

private:
    size_t counted(sf_count_t got, size_t n);

    std::string path;
    SNDFILE* file = nullptr;
    SF_INFO info{};
    int64_t consumed = 0;
};

// A file created under a temporary name in the directory of its final path.
// commit() renames it over the final path (the target, when the path is a
// symbolic link), keeping the mode of the file it replaces; destroyed without commit, it
// removes the temporary. The temporary is also removed when the program is
// stopped by SIGINT, SIGTERM or SIGHUP (see removePendingFilesOnSignals).
class PendingFile {
public:
    explicit PendingFile(const std::string& finalPath);
    ~PendingFile();
    PendingFile(const PendingFile&) = delete;
    PendingFile& operator=(const PendingFile&) = delete;

    int fd() const { return descriptor; }
    // The temporary's name, for writers that open files by name.
    const std::string& temporaryPath() const { return tempPath; }
    void commit();

private:
    std::string finalPath;
    std::string tempPath;
    int descriptor = -1;
    int slot = -1;
};

// Writes contents to path as a pending file; HostError on failure.
void writeFileCompletely(const std::string& path, const std::string& contents);

// Installs the signal handlers that remove pending temporaries.
void removePendingFilesOnSignals();

// HostError when path names a directory (or ends in '/'), so nothing can
// be written under that name.
void checkOutputPath(const std::string& path);

// The libsndfile format for writing path: the major format from its
// extension (.wav, .flac, .aiff/.aif, .ogg, .opus, .mp3) with the sample type
// of inputFormat when that major format takes it, else the major format's
// own (32-bit float for WAV and AIFF, 24-bit for FLAC, Vorbis, Opus, MPEG
// layer III). HostError for any other extension and for a format the
// installed libsndfile cannot write, naming those it can.
int outputFormatFor(const std::string& path, int inputFormat, int channels, int rate);

class AudioWriter {
public:
    // Creates the pending file; HostError when it cannot.
    AudioWriter(const std::string& path, int format, int channels, int rate);
    ~AudioWriter();
    AudioWriter(const AudioWriter&) = delete;
    AudioWriter& operator=(const AudioWriter&) = delete;

    // Writes n interleaved frames; samples beyond full scale are clipped
    // (and counted) when the format stores integers.
    void write(const float* frames, size_t n);
    void write(const double* frames, size_t n);
    // Finishes the file and puts it in place.
    void commit();
    int64_t clippedSamples() const { return clipped; }

private:
    template <typename T>
    void count(const T* frames, size_t n);

    std::string path;
    PendingFile pending;
    SNDFILE* file = nullptr;
    int channels;
    bool integerSamples;
    int64_t clipped = 0;
};
