// The preset layer of the editor object. It exists for the effect's whole
// life, window or not, and serves the program store: the preset and bank
// buffers (for the state chunk, files and preferences), the user's defaults
// at construction, and showing a program name the host set.
#pragma once

#include <memory>

#include "gui/CControl.h"
#include "presets/PresetBuffer.h"
#include "shell/AEffGUIEditor.h"

class CPresetSystemEffect;

class CPresetSystemEditor : public AEffGUIEditor, public CControlListener {
public:
    explicit CPresetSystemEditor(CPresetSystemEffect* effect);
    ~CPresetSystemEditor() override;

    // Adds the preset strip to the frame the derived editor has made;
    // false without a frame or an effect.
    bool open(void* parent) override;
    void close() override;
    void idle() override;
    // The strip's controls (tags 92 to 111); other tags are the derived
    // editor's.
    void valueChanged(CControl* control) override;

    // Shows a program name set by the host.
    virtual void nameChangedExternal(char* /*name*/) {}
    // Applies the user's stored defaults while the effect is being built.
    virtual void loadDefaults() {}

    // The buffer operations. Readers are handed the number of bytes really
    // readable at data, and never read past it.
    virtual void BufferToBankOld(char* data, long available, bool swapped, int numPrograms, int numParams);
    virtual void BufferToBank(char* data, long available, newpresetheader* header, bool swapped);
    // A new[] buffer of all six programs in *out (the caller delete[]s it)
    // and its length; 0 and null when there is none.
    virtual long BankToBuffer(char** out);
    virtual void BufferToPresetOld(char* data, long available, bool swapped, int numParams);
    virtual void BufferToPreset(char* data, long available, newpresetheader* header, bool swapped);
    virtual long PresetToBuffer(char** out);

    // The program store as the buffer and chunk readers see it, with this
    // editor's window refreshed as they go.
    PresetStore& presetStore();

protected:
    // Window refresh while buffers are read; nothing without a window.
    virtual void showMenuEntry(int /*entry*/, const char* /*name*/) {}
    virtual void selectMenuEntry(int /*entry*/) {}
    virtual void showName(const char* /*name*/) {}

    CPresetSystemEffect* presetEffect;

private:
    class Store;
    std::unique_ptr<Store> store;
};
