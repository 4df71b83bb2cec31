#include "host/Render.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "host/AudioFile.h"
#include "host/HostError.h"
#include "host/PluginHost.h"
#include "host/Processing.h"

namespace {

constexpr int kMaxBlock = 65536;
constexpr double kProgressAfterSeconds = 10.0;

// A one-line bar redrawn in place on stderr at each whole percent.
class ProgressBar {
public:
    ProgressBar(int64_t total, bool shown) : total(total), shown(shown && total > 0) {}
    ~ProgressBar()
    {
        if (shown && drawn >= 0)
            fprintf(stderr, "\r%*s\r", 60, "");
    }

    void update(int64_t done)
    {
        if (!shown)
            return;
        int percent = static_cast<int>(std::min<int64_t>(100, done * 100 / total));
        if (percent == drawn)
            return;
        drawn = percent;
        char bar[41];
        int filled = percent * 40 / 100;
        for (int i = 0; i < 40; ++i)
            bar[i] = i < filled ? '#' : '.';
        bar[40] = '\0';
        fprintf(stderr, "\rrendering [%s] %3d%%", bar, percent);
        fflush(stderr);
    }

private:
    int64_t total;
    bool shown;
    int drawn = -1;
};

// Reads until n frames are in or the file ends; false at the end.
template <typename T>
size_t readBlock(AudioReader& reader, T* frames, size_t n, int channels)
{
    size_t got = 0;
    while (got < n) {
        size_t more = reader.read(frames + got * static_cast<size_t>(channels), n - got);
        if (more == 0)
            break;
        got += more;
    }
    return got;
}

// The streaming loop: whole blocks in, latency frames of silence appended
// when compensating, the first latency output frames dropped. Nothing is
// allocated once it runs.
template <typename T>
void run(AEffect* fx, AudioReader& reader, AudioWriter& writer, int block, int latency,
         ProgressBar& bar)
{
    const int channels = reader.channels();
    const size_t width = static_cast<size_t>(channels);
    ProcessBuffers<T> buffers(fx, block);
    std::vector<T> in(static_cast<size_t>(block) * width), out(in.size());
    int64_t toDrop = latency, toPad = latency, done = 0;
    for (;;) {
        size_t n = readBlock(reader, in.data(), static_cast<size_t>(block), channels);
        if (n < static_cast<size_t>(block) && toPad > 0) {
            size_t extra =
                static_cast<size_t>(std::min<int64_t>(block - static_cast<int64_t>(n), toPad));
            std::fill(in.begin() + static_cast<ptrdiff_t>(n * width),
                      in.begin() + static_cast<ptrdiff_t>((n + extra) * width), T(0));
            n += extra;
            toPad -= static_cast<int64_t>(extra);
        }
        if (n == 0)
            break;
        // A mono file feeds every input the plug-in has.
        for (int i = 0; i < buffers.inputs(); ++i) {
            T* dst = buffers.input(i);
            size_t c = static_cast<size_t>(std::min(i, channels - 1));
            for (size_t f = 0; f < n; ++f)
                dst[f] = in[f * width + c];
        }
        buffers.process(fx, static_cast<int>(n));
        for (int c = 0; c < channels; ++c) {
            const T* src = buffers.output(c);
            for (size_t f = 0; f < n; ++f)
                out[f * width + static_cast<size_t>(c)] = src[f];
        }
        size_t drop = static_cast<size_t>(std::min<int64_t>(toDrop, static_cast<int64_t>(n)));
        toDrop -= static_cast<int64_t>(drop);
        if (drop < n)
            writer.write(out.data() + drop * width, n - drop);
        done += static_cast<int64_t>(n);
        bar.update(done);
    }
}

}  // namespace

RenderSummary renderFile(const RenderOptions& options)
{
    AudioReader reader(options.input);
    RenderSummary summary;
    summary.channels = reader.channels();
    summary.rate = reader.sampleRate();
    if (summary.channels != 1 && summary.channels != 2)
        throw HostError(options.input + " has " + std::to_string(summary.channels) +
                        " channels; only mono and stereo files can be rendered");

    // The output's format and name are settled before the plug-in runs.
    checkOutputPath(options.output);
    int format = outputFormatFor(options.output, reader.format(), summary.channels, summary.rate);
    AudioWriter writer(options.output, format, summary.channels, summary.rate);

    auto host = loadPlugin(options.plugin);
    AEffect* fx = host->effect();
    checkCanProcess(fx, options.doublePrecision, summary.channels);
    startPlugin(*host, summary.rate, options.block, summary.channels);
    summary.settings = applyPluginOptions(*host, options.plugin);
    restartPlugin(*host);
    summary.latency = options.compensate ? std::max(0, fx->initialDelay) : 0;

    bool longFile = reader.frames() > kProgressAfterSeconds * summary.rate;
    ProgressBar bar(reader.frames() + summary.latency,
                    options.progress && longFile && isatty(STDERR_FILENO));
    if (options.doublePrecision)
        run<double>(fx, reader, writer, options.block, summary.latency, bar);
    else
        run<float>(fx, reader, writer, options.block, summary.latency, bar);
    host->close();
    reader.checkComplete();
    writer.commit();
    summary.frames = reader.frames();
    summary.clipped = writer.clippedSamples();
    return summary;
}

int renderCommand(ArgList& args)
{
    RenderOptions options;
    std::vector<std::string> files;
    while (!args.empty()) {
        std::string arg = args.take();
        if (takePluginOption(arg, args, options.plugin))
            continue;
        if (arg == "--block")
            options.block =
                static_cast<int>(parseWholeNumber(args.valueOf(arg), 1, kMaxBlock, arg));
        else if (arg == "--double")
            options.doublePrecision = true;
        else if (arg == "--compensate")
            options.compensate = true;
        else if (arg.size() > 1 && arg[0] == '-')
            throw UsageError("unknown option for render: " + arg);
        else
            files.push_back(arg);
    }
    if (files.size() != 2)
        throw UsageError("render takes an input and an output file (sylvatone render IN OUT)");
    options.input = files[0];
    options.output = files[1];

    RenderSummary s = renderFile(options);
    std::string trimmed =
        options.compensate ? ", latency of " + std::to_string(s.latency) + " samples trimmed" : "";
    printf("%s: %.1f s, %s, %d Hz, %s-bit processing, %s%s\n", options.output.c_str(),
           static_cast<double>(s.frames) / s.rate, s.channels == 1 ? "mono" : "stereo", s.rate,
           options.doublePrecision ? "64" : "32", s.settings.c_str(), trimmed.c_str());
    if (s.clipped > 0)
        fprintf(stderr, "sylvatone: warning: %lld samples were clipped to full scale in %s\n",
                static_cast<long long>(s.clipped), options.output.c_str());
    return 0;
}
