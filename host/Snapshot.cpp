// The snapshot runs the plug-in's own code linked into this program (a host
// has no way to see an editor's pixels through the plug-in interface): an
// instance is built and set up as a host would, and its editor opens
// without a window and draws into an image.
#include "host/Snapshot.h"

#include <chrono>
#include <cstdlib>
#include <iostream>
#include <thread>

#include "editor/ADEditor.h"
#include "gui/CFrame.h"
#include "gui/VSTGUIEditorInterface.h"
#include "host/AudioFile.h"
#include "host/Demo.h"
#include "host/HostError.h"
#include "host/Options.h"
#include "host/PluginHost.h"
#include "host/ProgramSelect.h"
#include "host/Processing.h"
#include "presets/CPresetSystemEffect.h"
#include "shell/AEffEditor.h"
#include "shell/AudioEffect.h"
#include "shell/BundleReference.h"

namespace {

AEffect* linkedEntry(audioMasterCallback host)
{
    AudioEffect* effect = createEffectInstance(host);
    return effect ? effect->getAeffect() : nullptr;
}

// A third of a second of the demo signal through the plug-in, a thirtieth of
// a second between the window's idle calls, so the response panel has
// spectra to show.
void playDemo(PluginHost& host, AEffEditor* editor)
{
    constexpr int kRate = 44100, kBlock = 490, kFrames = 10;
    const std::vector<float> signal = demoSignal(kRate, 2.0);
    ProcessBuffers<float> buffers(host.effect(), kBlock);
    size_t at = static_cast<size_t>(kRate / 2) * 2;  // from half a second in
    for (int frame = 0; frame < kFrames; ++frame) {
        for (int block = 0; block < 3; ++block) {
            for (int i = 0; i < kBlock; ++i, at += 2) {
                buffers.input(0)[i] = signal[at];
                if (buffers.inputs() > 1)
                    buffers.input(1)[i] = signal[at + 1];
            }
            buffers.process(host.effect(), kBlock);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(34));
        editor->idle();
    }
}

}  // namespace

int snapshotCommand(ArgList& args)
{
    std::string out;
    PluginOptions options;
    double scale = 1.0;
    bool panel = false;
    std::string readout;
    while (!args.empty()) {
        std::string arg = args.take();
        if (takePluginOption(arg, args, options))
            continue;
        if (arg == "--readout") {
            if (args.empty())
                throw UsageError("--readout takes a parameter name, as `sylvatone info` lists them");
            readout = args.take();
            continue;
        }
        if (arg == "--panel") {
            panel = true;
            continue;
        }
        if (arg == "--scale") {
            const std::string value = args.empty() ? std::string() : args.take();
            char* end = nullptr;
            scale = std::strtod(value.c_str(), &end);
            if (value.empty() || *end || snapEditorScale(scale) != scale)
                throw UsageError("--scale takes 1, 1.5 or 2");
            continue;
        }
        if (!arg.empty() && arg[0] == '-')
            throw UsageError("unknown option for snapshot: " + arg);
        if (!out.empty())
            throw UsageError("snapshot takes one output file");
        out = arg;
    }
    if (out.empty())
        throw UsageError("snapshot needs an output file (OUT.png)");
    const std::string ext = out.size() >= 4 ? out.substr(out.size() - 4) : "";
    if (ext != ".png" && ext != ".PNG")
        throw UsageError("snapshot writes a PNG picture; its name must end in .png, not " + out);
    checkOutputPath(out);
    if (!options.pluginPath.empty())
        throw UsageError("snapshot draws the editor built with this program; --plugin is not taken");

    // The pictures of the bundle built next to this program.
    useBundleFolder(bundleFolderOf(defaultPluginPath()));
    std::string error;
    auto host = PluginHost::fromEntry(&linkedEntry, &error);
    if (!host)
        throw HostError(error);
    host->start(44100.0f, 512);
    auto* effect = static_cast<AudioEffect*>(host->effect()->object);
    // Linked in, the program is selected inside the plug-in, as its own
    // preset strip does, so the window shows its name too.
    if (!options.program.empty()) {
        const int n = resolveProgram(*host, options.program, options.userDefaults);
        static_cast<CPresetSystemEffect*>(effect)->setPresetNo(n);
        if (options.userDefaults)
            options.program.clear();
    }
    std::string title = applyPluginOptions(*host, options);
    if (title.empty() || title == "Default") {
        char name[kProgramNameSize + 1] = {};
        effect->getProgramName(name);
        title = name;
    }
    AEffEditor* editor = effect->getEditor();
    if (auto* window = dynamic_cast<ADEditor*>(editor)) {
        window->useScale(scale);
        window->usePanel(panel);
    }
    if (!editor || !editor->open(nullptr))
        throw HostError("the editor did not open");
    if (panel)
        playDemo(*host, editor);
    if (!readout.empty()) {
        int index = -1;
        for (int32_t i = 0; i < host->effect()->numParams && index < 0; ++i)
            if (host->paramName(i) == readout)
                index = i;
        auto* window = dynamic_cast<ADEditor*>(editor);
        if (index < 0 || !window)
            throw UsageError("--readout: no parameter named \"" + readout + "\" (`sylvatone info` lists them)");
        window->showReadout(index);
    }
    auto* frameOwner = dynamic_cast<VSTGUIEditorInterface*>(editor);
    CFrame* frame = frameOwner ? frameOwner->getFrame() : nullptr;
    editor->idle();
    // Drawn into a pending file, so a failure leaves any older picture as it was.
    PendingFile file(out);
    const bool saved = frame && frame->saveToPNG(file.temporaryPath());
    editor->close();
    if (!saved)
        throw HostError("cannot write " + out);
    file.commit();
    std::cout << "editor (" << title << ") drawn into " << out << '\n';
    return 0;
}
