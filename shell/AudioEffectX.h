// The extended VST 2.4 layer: dispatcher opcodes from 25 on, as virtual
// operations with neutral defaults that the plug-in overrides.
#pragma once

#include "shell/AudioEffect.h"

class AudioEffectX : public AudioEffect {
public:
    AudioEffectX(audioMasterCallback audioMaster, int32_t numPrograms, int32_t numParams);

    intptr_t dispatcher(int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt) override;

    virtual int32_t processEvents(VstEvents* /*events*/) { return 0; }
    virtual bool canParameterBeAutomated(int32_t /*index*/) { return true; }
    virtual bool getProgramNameIndexed(int32_t /*category*/, int32_t /*index*/, char* /*text*/)
    {
        return false;
    }
    virtual bool getInputProperties(int32_t /*index*/, VstPinProperties* /*props*/) { return false; }
    virtual bool getOutputProperties(int32_t /*index*/, VstPinProperties* /*props*/) { return false; }
    virtual VstPlugCategory getPlugCategory() { return kPlugCategUnknown; }
    virtual bool setSpeakerArrangement(VstSpeakerArrangement* /*input*/,
                                       VstSpeakerArrangement* /*output*/)
    {
        return false;
    }
    virtual bool getEffectName(char* /*name*/) { return false; }
    virtual bool getVendorString(char* /*text*/) { return false; }
    virtual bool getProductString(char* /*text*/) { return false; }
    virtual int32_t getVendorVersion() { return 0; }
    virtual int32_t canDo(char* /*text*/) { return 0; }
    virtual int32_t getGetTailSize() { return 0; }
    virtual bool getParameterProperties(int32_t /*index*/, VstParameterProperties* /*p*/)
    {
        return false;
    }
    virtual int32_t getVstVersion() { return 2400; }
    virtual int32_t getCurrentMidiProgram(int32_t /*channel*/) { return -1; }
    virtual intptr_t setTotalSampleToProcess(intptr_t value) { return value; }

    // Asks the host to resize the editor's window; true when it did.
    bool sizeWindow(int32_t width, int32_t height) { return callHost(audioMasterSizeWindow, width, height) != 0; }
};
