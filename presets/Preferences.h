// The per-user preference store of one domain: a folder
// $XDG_CONFIG_HOME/<domain>/ (~/.config/<domain>/ when XDG_CONFIG_HOME is
// unset or not absolute) holding one file per key, whose content is the
// value's bytes. Every instance of the plug-in of the same user sees the same
// values. Each write replaces the key's file atomically, so a crash or a
// second instance writing at the same time never leaves a torn value; a
// value is on disk when its setter returns, so there is nothing to
// synchronise afterwards.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

// The keys of the preset system.
constexpr const char* kPrefCurrDir = "CurrDir";
constexpr const char* kPrefCurrBank = "CurrBank";
constexpr const char* kPrefCurrPreset = "CurrPreset";
constexpr const char* kPrefDefaultBank = "DefaultBank";
constexpr const char* kPrefDefaultPreset = "DefaultPreset";
constexpr const char* kPrefMemoAPreset = "MemoAPreset";
constexpr const char* kPrefMemoBPreset = "MemoBPreset";
constexpr const char* kPrefDefaultMidi = "DefaultMidi";

class Preferences {
public:
    // The plug-in's domain, after its vendor's web domain.
    static constexpr const char* kDomain = "net.zym-audio.sylvatone";
    // Values longer than this are not read back.
    static constexpr size_t kMaxValueSize = 1 << 20;

    // The folder is found once, here, from the environment. A domain that is
    // not a plain file name (empty, ".", "..", or holding '/' or a NUL), or
    // a user without a home folder, gives a store in which every operation
    // fails.
    explicit Preferences(const std::string& domain = kDomain);

    // The domain's folder, ending without '/'; empty when there is none.
    const std::string& folder() const { return dir; }

    // Copies the value of key into value; false, value untouched, when there
    // is none (or it cannot be read or is over kMaxValueSize bytes).
    bool getBytes(const std::string& key, std::vector<char>& value) const;
    bool getString(const std::string& key, std::string& value) const;
    // Sets the value of key, creating the folder when needed. On failure the
    // previous value is kept.
    bool setBytes(const std::string& key, const void* data, size_t size);
    bool setString(const std::string& key, const std::string& value);
    // Removes key; true when it is gone, including when it never existed.
    bool remove(const std::string& key);

    // The file that holds key: every byte outside [A-Za-z0-9_-] is written as
    // %XX, so any key maps to one plain file name inside the folder and
    // different keys never share one. Empty for an empty or overlong key.
    std::string pathOf(const std::string& key) const;

private:
    bool makeFolder() const;

    std::string dir;
};
