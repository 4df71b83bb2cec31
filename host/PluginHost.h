// A VST 2.4 host for one plug-in instance, as a DAW runs it: dlopen,
// VSTPluginMain, dispatcher, parameters and processing. It answers the
// plug-in's callbacks and can record them, which tests read.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "shell/vst2.h"

struct HostCall {
    int32_t opcode;
    int32_t index;
    intptr_t value;
    float opt;
    bool withEffect;  // the plug-in passed its record (not null)
};

class PluginHost {
public:
    // Loads the library at path and builds one instance; null with a
    // message in *error when that fails.
    static std::unique_ptr<PluginHost> load(const std::string& path, std::string* error);
    // Builds one instance through an entry point linked into this program
    // (no library to load); null with a message in *error when refused.
    typedef AEffect* (*EntryProc)(audioMasterCallback);
    static std::unique_ptr<PluginHost> fromEntry(EntryProc entry, std::string* error);
    ~PluginHost();

    PluginHost(const PluginHost&) = delete;
    PluginHost& operator=(const PluginHost&) = delete;

    AEffect* effect() const { return fx; }
    intptr_t dispatch(int32_t opcode, int32_t index = 0, intptr_t value = 0, void* ptr = nullptr,
                      float opt = 0.0f);

    // effOpen, sample rate, block size, resume.
    void start(float sampleRate, int32_t blockSize);
    // effClose; the record is gone afterwards.
    void close();

    std::string effectName();
    std::string vendorString();
    std::string productString();
    std::string paramName(int32_t index);
    std::string paramDisplay(int32_t index);
    std::string paramLabel(int32_t index);
    std::string programName();
    // Name of program index, or empty with false when there is none.
    bool programNameIndexed(int32_t index, std::string* name);
    // Sets a parameter the way a host's automation does.
    void setParameter(int32_t index, float value);
    float getParameter(int32_t index);

    // Recording of the plug-in's callbacks.
    bool recording = true;
    const std::vector<HostCall>& calls() const { return recorded; }
    void clearCalls() { recorded.clear(); }

    // What the host answers.
    intptr_t versionAnswer = 2400;
    intptr_t blockSizeAnswer = 0;
    bool input1Connected = true;
    bool output1Connected = true;

private:
    PluginHost() = default;
    bool instantiate(EntryProc entry);
    static intptr_t callback(AEffect* effect, int32_t opcode, int32_t index, intptr_t value,
                             void* ptr, float opt);
    intptr_t answer(AEffect* effect, int32_t opcode, int32_t index, intptr_t value, void* ptr,
                    float opt);
    std::string text(int32_t opcode, int32_t index, size_t room);

    void* library = nullptr;
    AEffect* fx = nullptr;
    std::vector<HostCall> recorded;
};

// Where the bundle built next to this executable keeps its library.
std::string defaultPluginPath();
