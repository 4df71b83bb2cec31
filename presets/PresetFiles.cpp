#include "presets/PresetFiles.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <memory>
#include <vector>

#include "presets/XPlatFile.h"

namespace {

constexpr size_t kHeaderSize = sizeof(newpresetheader);
// The old layout's shortest data: the prefix and one name, or six names.
constexpr size_t kOldPresetMinSize = kOldPrefixSize + kProgramNameSize;                 // 29
constexpr size_t kOldBankMinSize = kOldPrefixSize + kNumPrograms * kProgramNameSize;  // 149

enum class Shape { Preset, Bank };

int clampToInt(size_t n)
{
    return static_cast<int>(std::min<size_t>(n, INT_MAX));
}

// Frames preset data of `length` readable bytes and hands it to the reader
// of its layout. The byte order comes from the ID at the start of the data;
// `reversed` inverts it. firstProgram makes a bank select program 0 instead
// of the program its data names. True when the reader took the data.
bool readData(PresetStore& store, const char* data, size_t length, Shape shape, bool reversed,
              bool firstProgram)
{
    if (!data || length < static_cast<size_t>(kOldPrefixSize))
        return false;
    const ByteOrder order = byteOrderOf(data, store.uniqueID());
    if (order == ByteOrder::Foreign)
        return false;
    const bool swapped = (order == ByteOrder::Reversed) != reversed;

    const uint8_t kind = static_cast<uint8_t>(data[4]);
    const bool bank = shape == Shape::Bank;
    ReadResult result;

    if (kind == (bank ? kKindBankOld : kKindPresetOld)) {
        // Old layout: the record size, and so the value count, follows from
        // the length, which must hold at least the names.
        const char* records = data + kOldPrefixSize;
        const long available = static_cast<long>(length - kOldPrefixSize);
        if (bank) {
            if (length < kOldBankMinSize)
                return false;
            const size_t values = ((length - kOldPrefixSize) / kNumPrograms - kProgramNameSize) / 4;
            result = readBankOld(store, records, available, swapped, kNumPrograms, clampToInt(values));
        } else {
            if (length < kOldPresetMinSize)
                return false;
            result = readPresetOld(store, records, available, swapped, clampToInt((length - kOldPresetMinSize) / 4));
        }
    } else if (kind == (bank ? kKindBank : kKindPreset)) {
        if (length < kHeaderSize)
            return false;
        newpresetheader header;
        memcpy(&header, data, kHeaderSize);
        if (swapped)
            byteSwapHeader(&header);
        // The blocks must all be there; bytes after them are ignored.
        if (header.dataSize < 0 || static_cast<size_t>(header.dataSize) > length - kHeaderSize)
            return false;
        if (bank) {
            if (firstProgram)
                header.currentProgram = 0;
            result = readBank(store, data + kHeaderSize, header.dataSize, header, swapped);
        } else {
            result = readPreset(store, data + kHeaderSize, header.dataSize, header, swapped);
        }
    } else {
        return false;
    }
    return result == ReadResult::Loaded;
}

bool loadFile(PresetStore& store, const std::string& path, Shape shape, bool reversed)
{
    std::vector<char> bytes;
    if (!XPlatReadFile(path, bytes, kMaxPresetFileSize))
        return false;
    return readData(store, bytes.data(), bytes.size(), shape, reversed, true);
}

using Writer = long (*)(PresetStore&, char**);

bool saveFile(PresetStore& store, const std::string& path, Writer writer)
{
    char* out = nullptr;
    const long length = writer(store, &out);
    const std::unique_ptr<char[]> owned(out);
    return length > 0 && XPlatReplaceFile(path, out, static_cast<size_t>(length));
}

bool loadValue(PresetStore& store, const Preferences& prefs, const char* key, Shape shape)
{
    std::vector<char> bytes;
    if (!prefs.getBytes(key, bytes))
        return false;
    return readData(store, bytes.data(), bytes.size(), shape, false, false);
}

bool storeValue(PresetStore& store, Preferences& prefs, const char* key, Writer writer)
{
    char* out = nullptr;
    const long length = writer(store, &out);
    const std::unique_ptr<char[]> owned(out);
    return length > 0 && prefs.setBytes(key, out, static_cast<size_t>(length));
}

void recallPath(const Preferences& prefs, const char* key, std::string& field)
{
    std::string value;
    if (prefs.getString(key, value) && value.size() <= kMaxPathValueSize &&
        value.find('\0') == std::string::npos)
        field = value;
}

}  // namespace

bool readPresetData(PresetStore& store, const char* data, size_t length, bool bank, bool reversed,
                    bool fromFile)
{
    return readData(store, data, length, bank ? Shape::Bank : Shape::Preset, reversed, fromFile);
}

bool savePresetFile(PresetStore& store, const std::string& path)
{
    return saveFile(store, path, writePreset);
}

bool saveBankFile(PresetStore& store, const std::string& path)
{
    return saveFile(store, path, writeBank);
}

bool loadPresetFile(PresetStore& store, const std::string& path, bool reversed)
{
    return loadFile(store, path, Shape::Preset, reversed);
}

bool loadBankFile(PresetStore& store, const std::string& path, bool reversed)
{
    return loadFile(store, path, Shape::Bank, reversed);
}

bool saveDefaultBank(PresetStore& store, Preferences& prefs)
{
    return storeValue(store, prefs, kPrefDefaultBank, writeBank);
}

bool loadDefaultBank(PresetStore& store, const Preferences& prefs)
{
    return loadValue(store, prefs, kPrefDefaultBank, Shape::Bank);
}

bool resetDefaultBank(Preferences& prefs)
{
    return prefs.remove(kPrefDefaultBank);
}

bool saveDefaultPreset(PresetStore& store, Preferences& prefs)
{
    return storeValue(store, prefs, kPrefDefaultPreset, writePreset);
}

bool loadDefaultPreset(PresetStore& store, const Preferences& prefs)
{
    return loadValue(store, prefs, kPrefDefaultPreset, Shape::Preset);
}

bool resetDefaultPreset(Preferences& prefs)
{
    return prefs.remove(kPrefDefaultPreset);
}

bool storeA(PresetStore& store, Preferences& prefs)
{
    return storeValue(store, prefs, kPrefMemoAPreset, writePreset);
}

bool storeB(PresetStore& store, Preferences& prefs)
{
    return storeValue(store, prefs, kPrefMemoBPreset, writePreset);
}

bool recallA(PresetStore& store, const Preferences& prefs)
{
    return loadValue(store, prefs, kPrefMemoAPreset, Shape::Preset);
}

bool recallB(PresetStore& store, const Preferences& prefs)
{
    return loadValue(store, prefs, kPrefMemoBPreset, Shape::Preset);
}

bool resetDefaultMidi(Preferences& prefs)
{
    return prefs.remove(kPrefDefaultMidi);
}

bool storePathsAndFilenames(const PresetPaths& paths, Preferences& prefs)
{
    // All three are written even when one fails.
    const bool dir = prefs.setString(kPrefCurrDir, paths.dir);
    const bool bank = prefs.setString(kPrefCurrBank, paths.bank);
    const bool preset = prefs.setString(kPrefCurrPreset, paths.preset);
    return dir && bank && preset;
}

void recallPathsAndFilenames(PresetPaths& paths, const Preferences& prefs)
{
    recallPath(prefs, kPrefCurrDir, paths.dir);
    recallPath(prefs, kPrefCurrBank, paths.bank);
    recallPath(prefs, kPrefCurrPreset, paths.preset);
}

void loadDefaults(PresetStore& store, const Preferences& prefs)
{
    loadDefaultBank(store, prefs);
    store.setPresetNo(0);
    loadDefaultPreset(store, prefs);
}
