// `sylvatone render`, `response` and `demo` run as a user runs them, on files
// the tests write themselves.
#include <sndfile.h>
#include <stdlib.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace fs = std::filesystem;

namespace {

struct Result { int status; std::string out; };

// Runs the host with args, each quoted for the shell.
Result host(const std::vector<std::string>& args)
{
    std::string command = std::string("'") + SYLVATONE_HOST_PATH + "'";
    for (const std::string& a : args)
        command += " '" + a + "'";
    FILE* pipe = popen((command + " 2>&1").c_str(), "r");
    std::string out;
    char buffer[4096];
    size_t n;
    while (pipe && (n = fread(buffer, 1, sizeof buffer, pipe)) > 0)
        out.append(buffer, n);
    return {pipe ? pclose(pipe) : -1, out};
}

struct TempDir {
    TempDir() : path(mkdtemp(pattern)) {}
    ~TempDir() { fs::remove_all(path); }
    std::string operator/(const std::string& name) const { return path + "/" + name; }
    std::set<fs::path> list() const { return std::set<fs::path>(fs::directory_iterator(path), {}); }
    char pattern[32] = "/tmp/sylvatone-render-XXXXXX";
    std::string path;
};

struct Audio {
    int channels = 0, rate = 0, format = 0;
    std::vector<float> samples;  // interleaved
    size_t frames() const { return channels ? samples.size() / static_cast<size_t>(channels) : 0; }
};

void writeAudio(const std::string& path, const Audio& a)
{
    SF_INFO info{0, a.rate, a.channels, a.format, 0, 0};
    SNDFILE* f = sf_open(path.c_str(), SFM_WRITE, &info);
    ASSERT_NE(f, nullptr) << sf_strerror(nullptr);
    sf_writef_float(f, a.samples.data(), static_cast<sf_count_t>(a.frames()));
    sf_close(f);
}

Audio readAudio(const std::string& path)
{
    SF_INFO info{};
    SNDFILE* f = sf_open(path.c_str(), SFM_READ, &info);
    EXPECT_NE(f, nullptr) << path << ": " << sf_strerror(nullptr);
    if (!f)
        return {};
    Audio a{info.channels, info.samplerate, info.format,
            std::vector<float>(static_cast<size_t>(info.frames * info.channels))};
    sf_readf_float(f, a.samples.data(), info.frames);
    sf_close(f);
    return a;
}

// Quiet noise with an 80 Hz tone at 44.1 kHz, so every band has something
// to act on.
Audio noise(int channels, size_t frames)
{
    Audio a{channels, 44100, SF_FORMAT_WAV | SF_FORMAT_FLOAT,
            std::vector<float>(frames * static_cast<size_t>(channels))};
    uint32_t seed = 12345;
    for (size_t i = 0; i < a.samples.size(); ++i) {
        seed = seed * 1664525u + 1013904223u;
        const double t = static_cast<double>(i / static_cast<size_t>(channels)) / 44100.0;
        a.samples[i] = static_cast<float>(0.2 * std::sin(2 * M_PI * 80.0 * t) +
                                          0.1 * ((seed >> 8) / 8388608.0 - 1.0));
    }
    return a;
}


std::string contents(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

}  // namespace

// A mono and a stereo file keep length, channels, rate and sample type;
// bypassed, the plug-in is a pure delay by its latency at the rate, which
// --compensate removes.
TEST(RenderCommand, BypassedPluginIsAPureDelayThatCompensationRemoves)
{
    TempDir dir;
    const struct {
        int channels, rate, format;
        size_t latency;
    } files[] = {{1, 48000, SF_FORMAT_WAV | SF_FORMAT_PCM_24, 48},
                 {2, 44100, SF_FORMAT_WAV | SF_FORMAT_FLOAT, 46}};
    for (const auto& file : files) {
        // Different positions per channel, so a swap or a mix shows.
        const size_t n = static_cast<size_t>(file.channels);
        Audio in{file.channels, file.rate, file.format, std::vector<float>(4096 * n)};
        for (size_t c = 0; c < n; ++c)
            in.samples[(1000 + 1500 * c) * n + c] = 1.0f;
        writeAudio(dir / "in.wav", in);
        for (bool compensate : {false, true}) {
            std::vector<std::string> args = {"render", dir / "in.wav", dir / "out.wav", "--set",
                                             "EQ all=0", "--set", "OUTput=0.5", "--set", "sat=0",
                                             "--block", "100"};
            if (compensate)
                args.push_back("--compensate");
            Result r = host(args);
            ASSERT_EQ(r.status, 0) << r.out;
            Audio out = readAudio(dir / "out.wav");
            EXPECT_EQ(out.rate, in.rate);
            EXPECT_EQ(out.format, in.format);
            ASSERT_EQ(out.channels, in.channels);
            ASSERT_EQ(out.frames(), in.frames());
            const size_t shift = (compensate ? 0 : file.latency) * n;
            std::vector<float> worst(n);
            for (size_t i = 0; i < in.samples.size(); ++i) {
                const float expected = i >= shift ? in.samples[i - shift] : 0.0f;
                worst[i % n] = std::max(worst[i % n], std::fabs(out.samples[i] - expected));
            }
            for (size_t c = 0; c < n; ++c)
                EXPECT_LT(worst[c], 1e-5f) << "channel " << c << " of " << n << ", compensate "
                                           << compensate;
        }
    }
}

TEST(CommandLine, RefusesBadRunsInOneLineAndLeavesNothingBehind)
{
    TempDir dir;
    writeAudio(dir / "in.wav", noise(2, 3000));
    writeAudio(dir / "three.wav", noise(3, 3000));
    std::ofstream(dir / "text.wav") << "not audio at all\n";
    std::ofstream(dir / "out.wav") << "an older file\n";
    fs::create_directory(dir / "taken.wav");
    fs::create_directory(dir / "taken.png");
    // Files cut short after their headers were written.
    for (const auto& [name, format] : {std::pair<std::string, int>{"cut.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16},
                                       {"cut.aiff", SF_FORMAT_AIFF | SF_FORMAT_PCM_16},
                                       {"cut.flac", SF_FORMAT_FLAC | SF_FORMAT_PCM_16}}) {
        Audio a = noise(2, 44100);
        a.format = format;
        writeAudio(dir / name, a);
        fs::resize_file(dir / name, fs::file_size(dir / name) / 2);
    }
    const std::set<fs::path> before = dir.list();

    const std::string in = dir / "in.wav", out = dir / "out.wav";
    // The last fails only when the finished file is put in place.
    const std::vector<std::vector<std::string>> runs = {
        {"render", dir / "three.wav", out}, {"render", dir / "missing.wav", out},
        {"render", dir / "text.wav", out}, {"render", dir / "cut.wav", out},
        {"render", dir / "cut.aiff", out}, {"render", dir / "cut.flac", out, "--double"}, {"render", in, out, "--set", "Loudness=0.5"},
        {"render", in, out, "--set", "42=0.5"}, {"render", in, out, "--set", "LFgain=1.5"},
        {"render", in, out, "--set", "LFgain=loud"}, {"render", in, out, "--set", "LFgain"},
        {"render", in, out, "--set", "LMFfreq=440Hz"}, {"render", in, out, "--set", "SAT=maybe"},
        {"render", in, out, "--block", "0"}, {"render", in, out, "--block", "64k"},
        {"render", in, out, "--block"}, {"render", in, out, "--program", "Polka"},
        {"render", in, out, "--program", "6"}, {"render", in, out, "--frobnicate"},
        {"render", in}, {"render", in, out, "--plugin", dir / "none.so"},
        {"render", in, dir / "nowhere/out.wav"}, {"frobnicate"},
        {"info", "--state", dir / "missing.state"}, {"render", in, dir / "taken.wav"},
        {"render", in, dir / "out.xyz"}, {"render", in, dir / "out"}, {"render", in, dir / "out.WAV/"},
        {"snapshot", dir / "editor.jpg"}, {"snapshot", dir / "taken.png"},
        {"response", dir / "response.svg"}, {"response", dir / "taken.png"}};
    for (const auto& args : runs) {
        SCOPED_TRACE(testing::PrintToString(args));
        Result r = host(args);
        EXPECT_NE(r.status, 0);
        EXPECT_EQ(r.out.rfind("sylvatone: ", 0), 0u) << r.out;
        EXPECT_EQ(r.out.find('\n'), r.out.size() - 1) << "one line: " << r.out;
        EXPECT_EQ(dir.list(), before);
        EXPECT_EQ(contents(out), "an older file\n");
        if (args.back().find("taken") != std::string::npos) {
            EXPECT_NE(r.out.find("is a directory"), std::string::npos) << r.out;
        }
    }
}

// Each extension gets its own format, where the installed libsndfile writes
// it; where it does not, the run is refused rather than written as another.
TEST(RenderCommand, OutputFormatFollowsTheExtension)
{
    TempDir dir;
    Audio in = noise(2, 9600);
    in.rate = 48000;  // one Opus takes
    writeAudio(dir / "in.wav", in);
    const struct {
        const char* name;
        int major, sub;
    } formats[] = {{"out.wav", SF_FORMAT_WAV, SF_FORMAT_FLOAT},
                   {"out.flac", SF_FORMAT_FLAC, SF_FORMAT_PCM_24},
                   {"out.aif", SF_FORMAT_AIFF, SF_FORMAT_FLOAT},
                   {"out.ogg", SF_FORMAT_OGG, SF_FORMAT_VORBIS},
                   {"OUT.OPUS", SF_FORMAT_OGG, SF_FORMAT_OPUS},
                   {"out.mp3", SF_FORMAT_MPEG, SF_FORMAT_MPEG_LAYER_III}};
    for (const auto& f : formats) {
        SCOPED_TRACE(f.name);
        SF_INFO check{0, 48000, 2, f.major | f.sub, 0, 0};
        Result r = host({"render", dir / "in.wav", dir / f.name});
        if (!sf_format_check(&check)) {
            EXPECT_NE(r.status, 0);
            EXPECT_FALSE(fs::exists(dir / f.name));
            continue;
        }
        ASSERT_EQ(r.status, 0) << r.out;
        Audio out = readAudio(dir / f.name);
        EXPECT_EQ(out.format & SF_FORMAT_TYPEMASK, f.major);
        EXPECT_EQ(out.channels, 2);
        EXPECT_GE(out.frames(), in.frames());
    }
}

// A file replaced keeps its mode, and a symbolic link keeps pointing at the
// file it names, which is the one rewritten: audio and tables alike.
TEST(RenderCommand, ReplacingAFileKeepsItsModeAndItsLinks)
{
    TempDir dir;
    writeAudio(dir / "in.wav", noise(1, 3000));
    fs::create_directory(dir / "kept");
    ASSERT_EQ(host({"render", dir / "in.wav", dir / "kept/mode.wav"}).status, 0);
    fs::permissions(dir / "kept/mode.wav", fs::perms::owner_read | fs::perms::owner_write |
                                               fs::perms::group_read);
    std::ofstream(dir / "kept/table.csv") << "older\n";
    fs::create_symlink("kept/mode.wav", dir / "link.wav");
    fs::create_symlink("kept/table.csv", dir / "link.csv");
    fs::create_symlink("kept/new.wav", dir / "dangling.wav");
    fs::create_symlink("kept/editor.png", dir / "editor.png");

    ASSERT_EQ(host({"render", dir / "in.wav", dir / "kept/mode.wav", "--set", "LFgain=+6dB"}).status,
              0);
    EXPECT_EQ(fs::status(dir / "kept/mode.wav").permissions(),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    ASSERT_EQ(host({"render", dir / "in.wav", dir / "link.wav"}).status, 0);
    ASSERT_EQ(host({"render", dir / "in.wav", dir / "dangling.wav"}).status, 0);
    ASSERT_EQ(host({"response", dir / "link.csv"}).status, 0);
    ASSERT_EQ(host({"snapshot", dir / "editor.png"}).status, 0);
    for (const char* link : {"link.wav", "link.csv", "dangling.wav", "editor.png"})
        EXPECT_TRUE(fs::is_symlink(dir / link)) << link;
    EXPECT_EQ(fs::status(dir / "kept/mode.wav").permissions(),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    EXPECT_EQ(readAudio(dir / "kept/mode.wav").frames(), 3000u);
    EXPECT_EQ(readAudio(dir / "kept/new.wav").frames(), 3000u);
    EXPECT_EQ(contents(dir / "kept/table.csv").rfind("frequency_hz,", 0), 0u);
    EXPECT_EQ(contents(dir / "kept/editor.png").substr(0, 4), "\x89PNG");
    // Nothing but the files named is left in either folder.
    EXPECT_EQ(std::distance(fs::directory_iterator(dir / "kept"), {}), 4);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path), {}), 6);
}
