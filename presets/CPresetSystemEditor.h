// The preset layer of the editor object. It exists for the effect's whole
// life, window or not, and serves the program store: the bank buffer for the
// state chunk, the user's defaults at construction, and showing a program
// name the host set.
#pragma once

#include "shell/AEffGUIEditor.h"

class CPresetSystemEffect;

class CPresetSystemEditor : public AEffGUIEditor {
public:
    explicit CPresetSystemEditor(CPresetSystemEffect* effect);

    // Shows a program name set by the host.
    virtual void nameChangedExternal(char* /*name*/) {}
    // Applies the user's stored defaults while the effect is being built.
    virtual void loadDefaults() {}
    // Builds a bank buffer of all six programs into *out (caller frees it
    // with delete[]) and returns its length; 0 and null when there is none.
    virtual long BankToBuffer(char** out);

protected:
    CPresetSystemEffect* presetEffect;
};
