#include "host/Demo.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>

#include "host/AudioFile.h"
#include "host/HostError.h"
#include "host/PluginHost.h"
#include "host/ProgramSelect.h"
#include "host/Render.h"
#include "host/Response.h"

namespace {

constexpr int kRate = 44100;
constexpr double kSeconds = 6.0;

// A small fixed-seed generator, so the signal is the same everywhere.
class Noise {
public:
    explicit Noise(uint64_t seed) : state(seed) {}
    double white()
    {
        state ^= state << 13;
        state ^= state >> 7;
        state ^= state << 17;
        return static_cast<double>(state >> 11) / 9007199254740992.0 * 2.0 - 1.0;
    }
    // White noise through a few one-pole filters: roughly -3 dB per octave.
    double pink()
    {
        double w = white();
        b0 = 0.99765 * b0 + w * 0.0990460;
        b1 = 0.96300 * b1 + w * 0.2965164;
        b2 = 0.57000 * b2 + w * 1.0526913;
        return (b0 + b1 + b2 + w * 0.1848) * 0.25;
    }

private:
    uint64_t state;
    double b0 = 0, b1 = 0, b2 = 0;
};

// A plucked string: decaying harmonics, the upper ones dying faster, with a
// short attack so the onset does not click.
double pluck(double freq, double t)
{
    if (t < 0)
        return 0;
    double v = 0, norm = 0;
    for (int k = 1; k <= 6; ++k) {
        double a = 1.0 / std::pow(k, 1.3);
        v += a * std::exp(-t * (2.0 + 1.5 * k)) * std::sin(2 * M_PI * freq * k * t);
        norm += a;
    }
    double attack = t < 0.004 ? t / 0.004 : 1.0;
    return attack * v / norm;
}

}  // namespace

std::vector<float> demoSignal(int rate, double seconds)
{
    // A walking bass line, one note every half second (E1 up to E2 and back).
    static const double kNotes[] = {41.20, 55.00, 61.74, 73.42, 82.41, 73.42,
                                    61.74, 55.00, 49.00, 55.00, 41.20, 41.20};
    const double noteLength = 0.5;
    const size_t frames = static_cast<size_t>(seconds * rate);
    const double sweepRatio = std::log(20000.0 / 20.0);
    std::vector<float> out(frames * 2);
    Noise noiseL(0x5EED1234ABCDull), noiseR(0x0DDBA11C0FFEEull);
    for (size_t i = 0; i < frames; ++i) {
        double t = static_cast<double>(i) / rate;
        double n = std::floor(t / noteLength);
        size_t note = static_cast<size_t>(n) % (sizeof kNotes / sizeof kNotes[0]);
        double bass = 0.35 * pluck(kNotes[note], t - n * noteLength);
        double phase =
            2 * M_PI * 20.0 * seconds / sweepRatio * (std::exp(t / seconds * sweepRatio) - 1);
        double sweep = 0.08 * std::sin(phase);
        double fade = std::min({1.0, t / 0.01, (seconds - t) / 0.01});
        out[2 * i] = static_cast<float>(fade * (bass + sweep + 0.03 * noiseL.pink()));
        out[2 * i + 1] = static_cast<float>(fade * (0.9 * bass + sweep + 0.03 * noiseR.pink()));
    }
    return out;
}

std::string slug(const std::string& name)
{
    std::string s;
    for (char c : name) {
        unsigned char u = static_cast<unsigned char>(c);
        if (isalnum(u))
            s += static_cast<char>(tolower(u));
        else if (!s.empty() && s.back() != '-')
            s += '-';
    }
    while (!s.empty() && s.back() == '-')
        s.pop_back();
    return s.empty() ? "program" : s;
}

int demoCommand(ArgList& args)
{
    PluginOptions plugin;
    std::vector<std::string> dirs;
    while (!args.empty()) {
        std::string arg = args.take();
        if (arg == "--plugin")
            plugin.pluginPath = args.valueOf(arg);
        else if (arg.size() > 1 && arg[0] == '-')
            throw UsageError("unknown option for demo: " + arg);
        else
            dirs.push_back(arg);
    }
    if (dirs.size() > 1)
        throw UsageError("demo takes one output folder");
    std::string dir = dirs.empty() ? "out" : dirs[0];
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    if (ec)
        throw HostError("cannot make " + dir + ": " + ec.message());
    if (dir.back() != '/')
        dir += '/';

    std::vector<std::string> names = programNames(*loadPlugin(plugin), plugin.userDefaults);
    if (names.empty())
        throw HostError("the plug-in names no programs");

    std::string input = dir + "input.wav";
    {
        std::vector<float> signal = demoSignal(kRate, kSeconds);
        AudioWriter writer(input, SF_FORMAT_WAV | SF_FORMAT_PCM_24, 2, kRate);
        writer.write(signal.data(), signal.size() / 2);
        writer.commit();
    }
    printf("input:     %s (%.0f s test signal, stereo, %d Hz, 24-bit)\n", input.c_str(), kSeconds,
           kRate);

    for (size_t i = 0; i < names.size(); ++i) {
        std::string base = dir + std::to_string(i) + "-" + slug(names[i]);
        RenderOptions render;
        render.input = input;
        render.output = base + ".wav";
        render.plugin = plugin;
        render.plugin.program = std::to_string(i);
        render.compensate = true;
        render.progress = false;
        RenderSummary summary = renderFile(render);
        if (summary.clipped > 0)
            fprintf(stderr, "sylvatone: warning: %lld samples clipped in %s\n",
                    static_cast<long long>(summary.clipped), render.output.c_str());

        std::string title;
        MagnitudeResponse response = measurePluginResponse(render.plugin, kRate, &title);
        plotMagnitudeResponse(response, std::to_string(i) + "  " + title, base + "-response.png");
        printf("program %zu: %-15s %s.wav  %s-response.png\n", i, names[i].c_str(), base.c_str(),
               base.c_str());
    }
    printf("latency trimmed, so every rendering lines up with %s\n", input.c_str());
    return 0;
}
