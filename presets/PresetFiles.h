// Preset and bank files, and the preference values that hold the user's
// default bank, default program, the two memories A and B and the remembered
// file choices. Files and values carry the preset buffers byte for byte (the
// plug-in's own format, not fxp/fxb). The functions work on the program store
// and the preferences alone: the caller runs any file dialog and passes the
// chosen path, and the window is refreshed through the store's hooks.
//
// Loading accepts data whose ID is the plug-in's own, in either byte order,
// of the current layout or the old flat one. Everything else is refused, and
// a refused load changes nothing: not the programs, not the selection, not
// the window. That covers a missing or unreadable file, a foreign ID, a kind
// that is not the one asked for, data shorter than its header or than the
// length its header declares, a negative block count and a value that is
// NaN or infinite. Finite values outside 0..1, which earlier builds could
// save, are taken clamped.
#pragma once

#include <cstddef>
#include <string>

#include "presets/Preferences.h"
#include "presets/PresetBuffer.h"

// For the file dialogs: a single program and a bank of six.
constexpr const char* kPresetFileDescription = "ZYM Preset";
constexpr const char* kPresetFileExtension = "zym";
constexpr const char* kBankFileDescription = "ZYM Bank";
constexpr const char* kBankFileExtension = "zyb";

// Files longer than this are refused without being read further: the largest
// file the plug-in writes is a 9113-byte bank.
constexpr size_t kMaxPresetFileSize = 1 << 20;

// Saves the selected program, or the bank, replacing the file at path
// atomically. False when there is nothing to write or the file could not be
// written; the file that was there is then left as it was.
// Reads the bytes of a preset (bank false) or bank file, or of a preference
// value (fromFile false: a bank keeps the program its data selects), as the
// loaders below do after reading them. True when the data was taken.
bool readPresetData(PresetStore& store, const char* data, size_t length, bool bank, bool reversed,
                    bool fromFile);

bool savePresetFile(PresetStore& store, const std::string& path);
bool saveBankFile(PresetStore& store, const std::string& path);

// Loads a program file into the selected slot, which is then applied, or a
// bank file, after which program 0 is selected whatever the file says.
// reversed reads the data in the byte order opposite to the one its ID
// shows. True when the file was read into the store.
bool loadPresetFile(PresetStore& store, const std::string& path, bool reversed);
bool loadBankFile(PresetStore& store, const std::string& path, bool reversed);

// The default bank: a loaded one selects the program its data names.
bool saveDefaultBank(PresetStore& store, Preferences& prefs);
bool loadDefaultBank(PresetStore& store, const Preferences& prefs);
bool resetDefaultBank(Preferences& prefs);
// The default program and the memories: a loaded one replaces the selected
// program, which is then applied.
bool saveDefaultPreset(PresetStore& store, Preferences& prefs);
bool loadDefaultPreset(PresetStore& store, const Preferences& prefs);
bool resetDefaultPreset(Preferences& prefs);
bool storeA(PresetStore& store, Preferences& prefs);
bool storeB(PresetStore& store, Preferences& prefs);
bool recallA(PresetStore& store, const Preferences& prefs);
bool recallB(PresetStore& store, const Preferences& prefs);
// The default MIDI map is only ever removed here.
bool resetDefaultMidi(Preferences& prefs);

// The file choices remembered between sessions. A choice is noted with
// XPlatGetFileNameAndDir(path, paths.preset or paths.bank, paths.dir).
struct PresetPaths {
    std::string dir;     // folder of the last file chosen, ending with '/'
    std::string bank;    // name of the last bank file chosen
    std::string preset;  // name of the last preset file chosen
};
// Values longer than this, or holding a NUL, are not recalled.
constexpr size_t kMaxPathValueSize = 4096;

bool storePathsAndFilenames(const PresetPaths& paths, Preferences& prefs);
// Each stored value replaces its field; fields without one keep theirs.
void recallPathsAndFilenames(PresetPaths& paths, const Preferences& prefs);

// What a new instance starts with: the user's default bank (or the programs
// already in the store), program 0 selected, and program 0 replaced by the
// user's default program when there is one.
void loadDefaults(PresetStore& store, const Preferences& prefs);
