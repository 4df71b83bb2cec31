// `sylvatone render`, `response` and `demo` run as a user runs them, on files
// the tests write themselves.
#include <sndfile.h>
#include <stdlib.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "engine/FactoryPresets.h"

namespace fs = std::filesystem;

namespace {

struct Result {
    int status;
    std::string out;
};

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

class TempDir {
public:
    TempDir()
    {
        char pattern[] = "/tmp/sylvatone-render-XXXXXX";
        path = mkdtemp(pattern);
    }
    ~TempDir() { fs::remove_all(path); }
    std::string operator/(const std::string& name) const { return path + "/" + name; }
    std::vector<std::string> list() const
    {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(path))
            names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
    std::string path;
};

struct Audio {
    int channels = 0, rate = 0, format = 0;
    std::vector<float> samples;  // interleaved
    size_t frames() const { return channels ? samples.size() / static_cast<size_t>(channels) : 0; }
    float at(size_t frame, int channel) const
    {
        return samples[frame * static_cast<size_t>(channels) + static_cast<size_t>(channel)];
    }
};

void writeAudio(const std::string& path, const Audio& a)
{
    SF_INFO info{};
    info.channels = a.channels;
    info.samplerate = a.rate;
    info.format = a.format;
    SNDFILE* f = sf_open(path.c_str(), SFM_WRITE, &info);
    ASSERT_NE(f, nullptr) << sf_strerror(nullptr);
    sf_writef_float(f, a.samples.data(), static_cast<sf_count_t>(a.frames()));
    sf_close(f);
}

Audio readAudio(const std::string& path)
{
    SF_INFO info{};
    Audio a;
    SNDFILE* f = sf_open(path.c_str(), SFM_READ, &info);
    EXPECT_NE(f, nullptr) << path << ": " << sf_strerror(nullptr);
    if (!f)
        return a;
    a.channels = info.channels;
    a.rate = info.samplerate;
    a.format = info.format;
    a.samples.resize(static_cast<size_t>(info.frames * info.channels));
    sf_readf_float(f, a.samples.data(), info.frames);
    sf_close(f);
    return a;
}

// Quiet noise with a tone, so every band has something to act on.
Audio noise(int channels, int rate, size_t frames, int format)
{
    Audio a{channels, rate, format, std::vector<float>(frames * static_cast<size_t>(channels))};
    uint32_t seed = 12345;
    for (size_t i = 0; i < a.samples.size(); ++i) {
        seed = seed * 1664525u + 1013904223u;
        double tone = 0.2 * std::sin(2 * M_PI * 80.0 * static_cast<double>(i / channels) / rate);
        a.samples[i] = static_cast<float>(tone + 0.1 * ((seed >> 8) / 8388608.0 - 1.0));
    }
    return a;
}

Audio impulses(int channels, size_t frames, const std::vector<size_t>& at)
{
    Audio a{channels, 44100, SF_FORMAT_WAV | SF_FORMAT_FLOAT,
            std::vector<float>(frames * static_cast<size_t>(channels))};
    for (int c = 0; c < channels; ++c)
        a.samples[at[static_cast<size_t>(c)] * static_cast<size_t>(channels) +
                  static_cast<size_t>(c)] = 1.0f;
    return a;
}

float maxDifference(const Audio& a, const Audio& b)
{
    EXPECT_EQ(a.samples.size(), b.samples.size());
    float d = 0;
    for (size_t i = 0; i < std::min(a.samples.size(), b.samples.size()); ++i)
        d = std::max(d, std::fabs(a.samples[i] - b.samples[i]));
    return d;
}

// frequency -> dB (left channel) from a response table.
std::map<double, double> readTable(const std::string& path, std::string* header)
{
    std::ifstream in(path);
    std::map<double, double> rows;
    std::string line;
    std::getline(in, *header);
    while (std::getline(in, line)) {
        double f = 0, db = 0;
        if (sscanf(line.c_str(), "%lf,%lf", &f, &db) == 2)
            rows[f] = db;
    }
    return rows;
}

double nearest(const std::map<double, double>& rows, double freq)
{
    auto it = rows.lower_bound(freq);
    if (it == rows.end() || (it != rows.begin() && freq - std::prev(it)->first < it->first - freq))
        --it;
    return it->second;
}

std::string contents(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

}  // namespace

TEST(RenderCommand, KeepsLengthRateChannelsAndSampleType)
{
    TempDir dir;
    writeAudio(dir / "mono.wav", noise(1, 48000, 12345, SF_FORMAT_WAV | SF_FORMAT_PCM_16));
    writeAudio(dir / "stereo.wav", noise(2, 44100, 7001, SF_FORMAT_WAV | SF_FORMAT_FLOAT));

    struct Case {
        std::string in, out;
        std::vector<std::string> extra;
        int channels, rate, format;
        size_t frames;
    } cases[] = {
        {"mono.wav", "mono-out.wav", {}, 1, 48000, SF_FORMAT_WAV | SF_FORMAT_PCM_16, 12345},
        {"mono.wav",
         "mono-out.flac",
         {"--compensate"},
         1,
         48000,
         SF_FORMAT_FLAC | SF_FORMAT_PCM_16,
         12345},
        {"stereo.wav",
         "stereo-out.wav",
         {"--block", "1000"},
         2,
         44100,
         SF_FORMAT_WAV | SF_FORMAT_FLOAT,
         7001},
        // FLAC stores no floats: its own 24-bit instead.
        {"stereo.wav",
         "stereo-out.flac",
         {"--double"},
         2,
         44100,
         SF_FORMAT_FLAC | SF_FORMAT_PCM_24,
         7001},
        {"stereo.wav", "stereo-out.aiff", {}, 2, 44100, SF_FORMAT_AIFF | SF_FORMAT_FLOAT, 7001},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args = {"render", dir / c.in, dir / c.out};
        args.insert(args.end(), c.extra.begin(), c.extra.end());
        Result r = host(args);
        ASSERT_EQ(r.status, 0) << c.out << ": " << r.out;
        Audio a = readAudio(dir / c.out);
        EXPECT_EQ(a.channels, c.channels) << c.out;
        EXPECT_EQ(a.rate, c.rate) << c.out;
        EXPECT_EQ(a.format, c.format) << c.out;
        EXPECT_EQ(a.frames(), c.frames) << c.out;
    }

    // Boosted past full scale into 16-bit: clipped (and reported), never
    // wrapped round to the other sign.
    Result r =
        host({"render", dir / "mono.wav", dir / "loud.wav", "--set", "OUTput=1", "--compensate"});
    ASSERT_EQ(r.status, 0) << r.out;
    EXPECT_NE(r.out.find("clipped"), std::string::npos) << r.out;
    Audio in = readAudio(dir / "mono.wav"), loud = readAudio(dir / "loud.wav");
    for (size_t f = 0; f < in.frames(); ++f) {
        if (in.at(f, 0) > 0.25f) {
            ASSERT_GT(loud.at(f, 0), 0.5f) << f;
        }
    }
}

TEST(RenderCommand, BypassedPluginIsAPureDelayThatCompensationRemoves)
{
    TempDir dir;
    const int latency = 46;  // at 44100 Hz
    // Different positions per channel, so a swap or a mix shows.
    writeAudio(dir / "mono.wav", impulses(1, 4096, {1000}));
    writeAudio(dir / "stereo.wav", impulses(2, 4096, {1000, 2500}));
    const std::vector<std::string> bypass = {"--set", "EQ all=0", "--set",   "OUTput=0.5",
                                             "--set", "sat=0",    "--block", "100"};
    for (const std::string name : {"mono", "stereo"}) {
        for (bool compensate : {false, true}) {
            std::vector<std::string> args = {"render", dir / (name + ".wav"), dir / "out.wav"};
            args.insert(args.end(), bypass.begin(), bypass.end());
            if (compensate)
                args.push_back("--compensate");
            Result r = host(args);
            ASSERT_EQ(r.status, 0) << r.out;
            Audio in = readAudio(dir / (name + ".wav"));
            Audio out = readAudio(dir / "out.wav");
            ASSERT_EQ(out.frames(), in.frames());
            size_t shift = compensate ? 0 : latency;
            for (int c = 0; c < in.channels; ++c) {
                float worst = 0;
                for (size_t f = 0; f < in.frames(); ++f) {
                    float expected = f >= shift ? in.at(f - shift, c) : 0.0f;
                    worst = std::max(worst, std::fabs(out.at(f, c) - expected));
                }
                EXPECT_LT(worst, 1e-5f) << name << " channel " << c << " compensate " << compensate;
            }
        }
    }
}

TEST(RenderCommand, ProgramsApplyAndDoublePrecisionAgreesWithSingle)
{
    TempDir dir;
    writeAudio(dir / "in.wav", noise(2, 44100, 20000, SF_FORMAT_WAV | SF_FORMAT_FLOAT));
    ASSERT_EQ(host({"render", dir / "in.wav", dir / "piano32.wav", "--program", "piano"}).status,
              0);
    ASSERT_EQ(
        host({"render", dir / "in.wav", dir / "piano64.wav", "--program", "2", "--double"}).status,
        0);
    ASSERT_EQ(host({"render", dir / "in.wav", dir / "default.wav"}).status, 0);
    Audio piano32 = readAudio(dir / "piano32.wav");
    Audio piano64 = readAudio(dir / "piano64.wav");
    EXPECT_LT(maxDifference(piano32, piano64), 1e-6f);
    EXPECT_GT(maxDifference(piano32, readAudio(dir / "default.wav")), 0.01f);

    // A mono file takes the same path as each channel of a stereo one.
    Audio mono = noise(1, 44100, 5000, SF_FORMAT_WAV | SF_FORMAT_FLOAT);
    Audio twin{2, 44100, mono.format, {}};
    for (float x : mono.samples)
        twin.samples.insert(twin.samples.end(), {x, x});
    writeAudio(dir / "mono.wav", mono);
    writeAudio(dir / "twin.wav", twin);
    ASSERT_EQ(host({"render", dir / "mono.wav", dir / "mono-out.wav", "--program", "1"}).status, 0);
    ASSERT_EQ(host({"render", dir / "twin.wav", dir / "twin-out.wav", "--program", "1"}).status, 0);
    Audio monoOut = readAudio(dir / "mono-out.wav"), twinOut = readAudio(dir / "twin-out.wav");
    ASSERT_EQ(monoOut.frames(), twinOut.frames());
    for (size_t f = 0; f < monoOut.frames(); ++f) {
        ASSERT_NEAR(monoOut.at(f, 0), twinOut.at(f, 0), 1e-6f) << f;
        ASSERT_NEAR(monoOut.at(f, 0), twinOut.at(f, 1), 1e-6f) << f;
    }
}

TEST(RenderCommand, RefusesBadRunsAndLeavesNothingBehind)
{
    TempDir dir;
    writeAudio(dir / "in.wav", noise(2, 44100, 3000, SF_FORMAT_WAV | SF_FORMAT_FLOAT));
    writeAudio(dir / "three.wav", noise(3, 44100, 3000, SF_FORMAT_WAV | SF_FORMAT_FLOAT));
    std::ofstream(dir / "text.wav") << "not audio at all\n";
    std::ofstream(dir / "out.wav") << "an older file\n";
    fs::create_directory(dir / "taken.wav");
    const std::vector<std::string> before = dir.list();

    const std::string in = dir / "in.wav", out = dir / "out.wav";
    const std::vector<std::vector<std::string>> runs = {
        {"render", dir / "three.wav", out},
        {"render", dir / "missing.wav", out},
        {"render", dir / "text.wav", out},
        {"render", in, out, "--set", "Loudness=0.5"},
        {"render", in, out, "--set", "42=0.5"},
        {"render", in, out, "--set", "LFgain=1.5"},
        {"render", in, out, "--set", "LFgain=loud"},
        {"render", in, out, "--set", "LFgain"},
        {"render", in, out, "--block", "0"},
        {"render", in, out, "--block", "64k"},
        {"render", in, out, "--block"},
        {"render", in, out, "--program", "Polka"},
        {"render", in, out, "--program", "6"},
        {"render", in, out, "--frobnicate"},
        {"render", in},
        {"render", in, out, "--plugin", dir / "none.so"},
        {"render", in, dir / "nowhere/out.wav"},
        // Fails only when the finished file is put in place.
        {"render", in, dir / "taken.wav"},
    };
    for (const auto& args : runs) {
        std::string shown;
        for (const auto& a : args)
            shown += a + " ";
        Result r = host(args);
        EXPECT_NE(r.status, 0) << shown;
        EXPECT_EQ(r.out.rfind("sylvatone: ", 0), 0u) << shown << "\n" << r.out;
        EXPECT_EQ(r.out.find('\n'), r.out.size() - 1) << "one line: " << r.out;
        EXPECT_EQ(dir.list(), before) << shown;
        EXPECT_EQ(contents(out), "an older file\n") << shown;
    }
}

TEST(ResponseCommand, DefaultIsFlatAndProgramsAndSettingsShapeIt)
{
    TempDir dir;
    ASSERT_EQ(host({"response", dir / "default.csv"}).status, 0);
    std::string header;
    auto flat = readTable(dir / "default.csv", &header);
    EXPECT_EQ(header, "frequency_hz,magnitude_db");
    EXPECT_NEAR(flat.begin()->first, 20.0, 1e-9);
    EXPECT_NEAR(flat.rbegin()->first, 20000.0, 1e-9);
    EXPECT_GT(flat.size(), 230u);  // 1/24 octave over ten octaves
    for (const auto& [f, db] : flat) {
        if (f >= 100 && f <= 10000) {
            EXPECT_NEAR(db, 0.0, 0.3) << f << " Hz";
        }
    }

    ASSERT_EQ(host({"response", dir / "boost.csv", "--set", "LFgain=1"}).status, 0);
    auto boost = readTable(dir / "boost.csv", &header);
    EXPECT_GT(nearest(boost, 60), 6.0);
    EXPECT_NEAR(nearest(boost, 5000), 0.0, 0.3);

    // A plot with the table beside it; the program reaches the plug-in.
    Result r = host({"response", dir / "mild.png", "--program", "MILD", "--csv"});
    ASSERT_EQ(r.status, 0) << r.out;
    EXPECT_EQ(contents(dir / "mild.png").substr(0, 8), "\x89PNG\r\n\x1a\n");
    auto mild = readTable(dir / "mild.csv", &header);
    EXPECT_GT(nearest(mild, 3279), 2.0);
    EXPECT_LT(nearest(mild, 20000), -1.0);
    EXPECT_NEAR(nearest(mild, 100), 0.0, 0.3);

    // Another rate, another latency: still found, still flat.
    ASSERT_EQ(host({"response", dir / "fast.csv", "--rate", "96000"}).status, 0);
    for (const auto& [f, db] : readTable(dir / "fast.csv", &header)) {
        if (f >= 100 && f <= 10000) {
            EXPECT_NEAR(db, 0.0, 0.3) << f << " Hz at 96 kHz";
        }
    }

    // At a rate below 40 kHz the table stops short of Nyquist.
    ASSERT_EQ(host({"response", dir / "low.csv", "--rate", "22050"}).status, 0);
    EXPECT_LT(readTable(dir / "low.csv", &header).rbegin()->first, 11025.0);
}

TEST(DemoCommand, RendersEveryProgramWithItsPlot)
{
    TempDir dir;
    Result r = host({"demo", dir / "demo"});
    ASSERT_EQ(r.status, 0) << r.out;
    const std::vector<std::string> names = {"0-default", "1-c-bass-pick-up", "2-piano",
                                            "3-mild",    "4-round",          "5-finish"};
    Audio input = readAudio(dir / "demo/input.wav");
    ASSERT_EQ(input.channels, 2);
    EXPECT_GE(input.frames(), 44100u * 5);
    Audio flat = readAudio(dir / "demo/0-default.wav");
    for (const std::string& name : names) {
        Audio out = readAudio(dir / ("demo/" + name + ".wav"));
        EXPECT_EQ(out.frames(), input.frames()) << name;
        EXPECT_EQ(out.rate, input.rate) << name;
        EXPECT_EQ(out.channels, 2) << name;
        if (name != names[0]) {
            EXPECT_GT(maxDifference(out, flat), 0.01f) << name << " sounds like Default";
        }
        EXPECT_EQ(contents(dir / ("demo/" + name + "-response.png")).substr(0, 4), "\x89PNG")
            << name;
        EXPECT_NE(r.out.find(name + ".wav"), std::string::npos) << r.out;
    }
}
