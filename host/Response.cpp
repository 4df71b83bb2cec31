#include "host/Response.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>

#include "host/AudioFile.h"
#include "host/HostError.h"
#include "host/Plot.h"
#include "host/PluginHost.h"
#include "host/Processing.h"

namespace {

constexpr int kBlock = 512;
constexpr double kSettleSeconds = 0.2;
// The response can begin a little before the reported latency (an
// oversampler's interpolation filter reaches ahead); the window starts this
// many frames early.
constexpr int kLead = 64;
constexpr double kLowest = 20.0, kHighest = 20000.0;

// Long enough for the slowest tail of an equaliser (a low cut of a few Hz)
// to die down: about 1.4 s, at least 65536 frames.
size_t fftSizeFor(double rate)
{
    size_t n = 65536;
    while (static_cast<double>(n) < 1.4 * rate)
        n *= 2;
    return n;
}

bool isAudible(double freq, double rate)
{
    return freq < rate / 2;
}

// Frequencies 1/24 octave apart from 20 Hz, then 20 kHz itself.
std::vector<double> tablePoints(double rate)
{
    std::vector<double> points;
    for (int k = 0;; ++k) {
        double f = kLowest * std::pow(2.0, k / 24.0);
        if (f >= kHighest)
            break;
        points.push_back(f);
    }
    points.push_back(kHighest);
    points.erase(std::remove_if(points.begin(), points.end(),
                                [rate](double f) { return !isAudible(f, rate); }),
                 points.end());
    return points;
}

std::vector<double> magnitudes(const std::vector<double>& impulse)
{
    std::vector<std::complex<double>> x(impulse.begin(), impulse.end());
    fft(x);
    std::vector<double> m(x.size() / 2 + 1);
    for (size_t i = 0; i < m.size(); ++i)
        m[i] = std::abs(x[i]);
    return m;
}

}  // namespace

void fft(std::vector<std::complex<double>>& x)
{
    const size_t n = x.size();
    for (size_t i = 1, j = 0; i < n; ++i) {
        size_t bit = n >> 1;
        for (; j & bit; bit >>= 1)
            j ^= bit;
        j ^= bit;
        if (i < j)
            std::swap(x[i], x[j]);
    }
    for (size_t len = 2; len <= n; len <<= 1) {
        const double angle = -2.0 * M_PI / static_cast<double>(len);
        for (size_t start = 0; start < n; start += len) {
            for (size_t k = 0; k < len / 2; ++k) {
                // Twiddles from the angle directly, not by repeated
                // multiplication, so long transforms keep their accuracy.
                std::complex<double> w = std::polar(1.0, angle * static_cast<double>(k));
                std::complex<double> a = x[start + k], b = x[start + k + len / 2] * w;
                x[start + k] = a + b;
                x[start + k + len / 2] = a - b;
            }
        }
    }
}

double MagnitudeResponse::db(int channel, double freq) const
{
    const std::vector<double>& m = channel == 0 ? left : right;
    double bin =
        std::clamp(freq * static_cast<double>(size) / rate, 0.0, static_cast<double>(m.size() - 1));
    size_t i = std::min(static_cast<size_t>(bin), m.size() - 2);
    double frac = bin - static_cast<double>(i);
    double mag = m[i] * (1.0 - frac) + m[i + 1] * frac;
    return 20.0 * std::log10(std::max(mag, 1e-15));
}

bool MagnitudeResponse::channelsAgree() const
{
    for (double f : tablePoints(rate))
        if (std::fabs(db(0, f) - db(1, f)) > 0.01)
            return false;
    return true;
}

namespace {

// Runs silence, then the impulse, through the plug-in at precision T and
// keeps n frames of each output from `start` frames after the impulse.
template <typename T>
void recordImpulse(AEffect* fx, double rate, int start, std::vector<double>& left,
                   std::vector<double>& right)
{
    const size_t n = left.size();
    ProcessBuffers<T> buffers(fx, kBlock);
    // Silence while glides settle; the impulse sits at frame `settle`.
    const int64_t settle = static_cast<int64_t>(std::lround(kSettleSeconds * rate));
    const int64_t total = settle + start + static_cast<int64_t>(n);
    for (int64_t at = 0; at < total; at += kBlock) {
        int frames = static_cast<int>(std::min<int64_t>(kBlock, total - at));
        for (int i = 0; i < buffers.inputs(); ++i)
            for (int f = 0; f < frames; ++f)
                buffers.input(i)[f] = at + f == settle ? T(1) : T(0);
        buffers.process(fx, frames);
        for (int f = 0; f < frames; ++f) {
            int64_t k = at + f - settle - start;
            if (k >= 0 && k < static_cast<int64_t>(n)) {
                left[static_cast<size_t>(k)] = buffers.output(0)[f];
                right[static_cast<size_t>(k)] = buffers.output(1)[f];
            }
        }
    }
}

}  // namespace

MagnitudeResponse measureResponse(PluginHost& host, double rate)
{
    AEffect* fx = host.effect();
    // 64-bit where the plug-in offers it, as the most exact measurement.
    const bool doublePrecision = (fx->flags & effFlagsCanDoubleReplacing) != 0;
    checkCanProcess(fx, doublePrecision, 2);
    const size_t n = fftSizeFor(rate);
    const int latency = std::max(0, fx->initialDelay);
    const int start = latency - std::min(latency, kLead);
    std::vector<double> left(n), right(n);
    if (doublePrecision)
        recordImpulse<double>(fx, rate, start, left, right);
    else
        recordImpulse<float>(fx, rate, start, left, right);

    double energy = 0.0;
    for (size_t i = 0; i < n; ++i)
        energy += left[i] * left[i] + right[i] * right[i];
    if (!std::isfinite(energy))
        throw HostError("the plug-in's response to an impulse is not finite");
    if (energy == 0.0)
        throw HostError("the plug-in's output stayed silent after an impulse");

    MagnitudeResponse response;
    response.rate = rate;
    response.size = n;
    response.left = magnitudes(left);
    response.right = magnitudes(right);
    return response;
}

MagnitudeResponse measurePluginResponse(const PluginOptions& options, double rate,
                                        std::string* title)
{
    auto host = loadPlugin(options);
    startPlugin(*host, rate, kBlock, 2);
    std::string applied = applyPluginOptions(*host, options);
    restartPlugin(*host);
    MagnitudeResponse response = measureResponse(*host, rate);
    host->close();
    if (title)
        *title = applied;
    return response;
}

std::string responseTable(const MagnitudeResponse& response)
{
    bool both = !response.channelsAgree();
    std::string out =
        both ? "frequency_hz,magnitude_db,magnitude_db_right\n" : "frequency_hz,magnitude_db\n";
    char line[96];
    for (double f : tablePoints(response.rate)) {
        if (both)
            snprintf(line, sizeof line, "%.2f,%.3f,%.3f\n", f, response.db(0, f),
                     response.db(1, f));
        else
            snprintf(line, sizeof line, "%.2f,%.3f\n", f, response.db(0, f));
        out += line;
    }
    return out;
}

void plotMagnitudeResponse(const MagnitudeResponse& response, const std::string& title,
                           const std::string& pngPath)
{
    // Dense enough that the plotted line is smooth at 900 pixels.
    auto curve = [&response](int channel) {
        std::vector<std::pair<double, double>> points;
        for (int k = 0;; ++k) {
            double f = kLowest * std::pow(2.0, k / 96.0);
            if (f > kHighest * 1.0001 || !isAudible(f, response.rate))
                break;
            points.emplace_back(f, response.db(channel, f));
        }
        return points;
    };
    std::vector<PlotCurve> curves;
    if (response.channelsAgree()) {
        curves.push_back({"", curve(0), PlotCurve::kFirst});
    } else {
        curves.push_back({"left", curve(0), PlotCurve::kFirst});
        curves.push_back({"right", curve(1), PlotCurve::kSecond});
    }
    char subtitle[64];
    snprintf(subtitle, sizeof subtitle, "magnitude response at %.0f Hz", response.rate);
    plotResponse(pngPath, title, subtitle, curves);
}

namespace {

std::string withExtension(const std::string& path, const std::string& ext)
{
    size_t slash = path.find_last_of('/');
    size_t dot = path.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return path + ext;
    return path.substr(0, dot) + ext;
}

bool endsWithIgnoringCase(const std::string& s, const std::string& tail)
{
    if (s.size() < tail.size())
        return false;
    for (size_t i = 0; i < tail.size(); ++i)
        if (tolower(static_cast<unsigned char>(s[s.size() - tail.size() + i])) != tail[i])
            return false;
    return true;
}

}  // namespace

int responseCommand(ArgList& args)
{
    PluginOptions plugin;
    std::vector<std::string> files;
    double rate = 44100.0;
    bool csv = false;
    while (!args.empty()) {
        std::string arg = args.take();
        if (takePluginOption(arg, args, plugin))
            continue;
        if (arg == "--rate")
            rate = static_cast<double>(parseWholeNumber(args.valueOf(arg), 8000, 384000, arg));
        else if (arg == "--csv")
            csv = true;
        else if (arg.size() > 1 && arg[0] == '-')
            throw UsageError("unknown option for response: " + arg);
        else
            files.push_back(arg);
    }
    if (files.size() != 1)
        throw UsageError("response takes one output file (sylvatone response OUT.png)");

    const std::string& out = files[0];
    bool tableOnly = endsWithIgnoringCase(out, ".csv");
    std::string pngPath = tableOnly ? "" : out;
    std::string csvPath = tableOnly ? out : csv ? withExtension(out, ".csv") : "";
    if (!tableOnly && !endsWithIgnoringCase(out, ".png"))
        throw UsageError("response writes a picture (OUT.png) or a table (OUT.csv), not " + out);
    for (const std::string& path : {pngPath, csvPath})
        if (!path.empty())
            checkOutputPath(path);

    std::string title;
    MagnitudeResponse response = measurePluginResponse(plugin, rate, &title);
    if (!pngPath.empty()) {
        plotMagnitudeResponse(response, title, pngPath);
        printf("%s: %s\n", pngPath.c_str(), title.c_str());
    }
    if (!csvPath.empty()) {
        writeFileCompletely(csvPath, responseTable(response));
        printf("%s: %s\n", csvPath.c_str(), title.c_str());
    }
    return 0;
}
