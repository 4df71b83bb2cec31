// Shared by the preset tests: a program store that logs what the readers ask
// of it and of the window, helpers that build, copy and byte-reverse preset
// data, and a fixture that keeps the preferences in a temporary folder.
#pragma once

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "presets/PresetBuffer.h"

using Log = std::vector<std::string>;
using Bytes = std::vector<char>;

// Carries 21 of the 42 values, as the equaliser does, or all of them.
struct FakeStore : PresetStore {
    explicit FakeStore(float shift = 0.0f, long selected = 0, bool allCarried = false)
        : sel(selected), allCarried(allCarried)
    {
        for (int p = 0; p < kNumPrograms; ++p) {
            snprintf(progs[p].name, kProgramNameSize, "P%d %.1f", p, shift);
            for (int i = 0; i < kNumProgramParams; ++i)
                progs[p].params[i] = std::fmod((p * 42 + i + 1) / 300.0f + shift, 1.0f);
        }
        std::fill(std::begin(templ.params), std::end(templ.params), 0.25f);
    }
    int32_t uniqueID() override { return 0x4B525441; }
    long presetNo() override { return sel; }
    ProgramRecord* programs() override { return progs.data(); }
    bool dummy(int i) const { return !allCarried && ((i >= 2 && i <= 5) || i == 8 || i == 10 || i == 11 || i > 27); }
    bool isDummy(int i) override { return dummy(i); }
    bool isDummyOld(int i) override { return dummy(i); }
    const ProgramRecord& programTemplate() override { return templ; }
    void setPresetName(const char* n) override { log.push_back("name " + std::string(n)); }
    void setPresetNo(long n) override { sel = n; log.push_back("select " + std::to_string(n)); }
    void showMenuEntry(int e, const char* n) override { log.push_back("menu " + std::to_string(e) + " " + n); }
    void selectMenuEntry(int e) override { log.push_back("entry " + std::to_string(e)); }
    void showName(const char* n) override { log.push_back("show " + std::string(n)); }

    // Program p as data carrying its first `values` values reads back.
    ProgramRecord carried(int p, int values = kNumProgramParams) const
    {
        ProgramRecord r = templ;
        memcpy(r.name, progs[p].name, sizeof r.name);
        for (int i = 0; i < values; ++i)
            r.params[i] = dummy(i) ? r.params[i] : progs[p].params[i];
        return r;
    }
    bool holds(const ProgramRecord& r, int p) const { return memcmp(&r, &progs[p], sizeof r) == 0; }
    bool operator==(const FakeStore& o) const { return memcmp(&progs, &o.progs, sizeof progs) == 0 && sel == o.sel; }
    bool allValid() const
    {
        return std::all_of(progs.begin(), progs.end(), [](const ProgramRecord& p) {
            return std::all_of(std::begin(p.params), std::end(p.params), [](float v) { return v >= 0 && v <= 1; });
        });
    }

    std::array<ProgramRecord, kNumPrograms> progs{};
    ProgramRecord templ{"Template", {}};
    long sel;
    bool allCarried;
    Log log;
};

// Builds current-layout data block by block, independently of the writers.
struct Blocks {
    Bytes bytes = Bytes(41);
    int32_t count = 0;
    template <typename Word>
    Blocks& word(Word v) { bytes.insert(bytes.end(), (char*)&v, (char*)&v + 4); return *this; }
    Blocks& block(int32_t type, int32_t size, int32_t program) { ++count; return word(type).word(size).word(program); }
    Blocks& name(int32_t program, const char* n)
    {
        char text[156] = {};
        memcpy(text, n, strnlen(n, 24));
        block(kBlockName, 156, program).bytes.insert(bytes.end(), text, text + 156);
        return *this;
    }
    // A parameter value, or with type 2 a controller assignment.
    Blocks& value(int32_t program, int32_t index, float v, int32_t type = kBlockParam)
    {
        return block(type, 20, program).word(index).word(0).word(0).word(v).word(0);
    }
    Bytes done(uint8_t kind, int32_t currentProgram)
    {
        newpresetheader h{0x4B525441, kind, 0x01080000, 42, count, currentProgram, int32_t(bytes.size() - 41), {}};
        memcpy(bytes.data(), &h, sizeof h);
        return bytes;
    }
};

inline Bytes written(long (*writer)(PresetStore&, char**), PresetStore& store)
{
    char* out = nullptr;
    const long n = writer(store, &out);
    const std::unique_ptr<char[]> owned(out);
    return Bytes(out, out + n);
}

// The first n bytes of b in an allocation of exactly n bytes, so that ASan
// catches any read past them.
inline std::unique_ptr<char[]> exactCopy(const Bytes& b, size_t n)
{
    std::unique_ptr<char[]> copy(new char[n]);
    std::copy_n(b.begin(), std::min(n, b.size()), copy.get());
    return copy;
}

template <typename Word>
Bytes withWord(Bytes b, size_t at, Word v)
{
    static_assert(sizeof v == 4, "a 32-bit word");
    memcpy(&b[at], &v, 4);
    return b;
}

// Old flat records of src: a name and `values` floats. Indexes old data does
// not carry hold 7.0: a reader that does not skip them refuses the data.
inline Bytes oldRecords(const FakeStore& src, int records, int values, bool swapped)
{
    Bytes data;
    for (int p = 0; p < records; ++p) {
        data.insert(data.end(), src.progs[p].name, src.progs[p].name + kProgramNameSize);
        for (int j = 0; j < values; ++j) {
            float v = src.dummy(j) ? 7.0f : src.progs[p].params[j];
            if (swapped)
                mySwapBytes(&v);
            data.insert(data.end(), (char*)&v, (char*)&v + 4);
        }
    }
    return data;
}

// Preset data as a machine of the other byte order writes it: `at` bytes of
// 32-bit words (a chunk header), then a current-layout buffer.
inline Bytes reversedTwin(Bytes b, size_t at = 0)
{
    for (size_t off = 0; off < at + 41; off += off == at ? 5 : 4)
        mySwapBytes(&b[off]);
    for (size_t pos = at + 41; pos + 12 <= b.size();) {
        int32_t type, size;
        memcpy(&type, &b[pos], 4);
        memcpy(&size, &b[pos + 4], 4);
        for (size_t w = 0; w < 12 + (type == kBlockName ? 0u : size_t(size)); w += 4)
            mySwapBytes(&b[pos + w]);
        pos += 12 + size_t(size);
    }
    return b;
}

// Puts an environment variable back as it was.
struct SavedEnv {
    explicit SavedEnv(const char* n) : name(n), value(getenv(n) ? std::optional<std::string>(getenv(n)) : std::nullopt) {}
    ~SavedEnv() { value ? setenv(name, value->c_str(), 1) : unsetenv(name); }
    const char* name;
    std::optional<std::string> value;
};

// XDG_CONFIG_HOME (not there yet) and HOME inside a temporary folder `dir`.
class TempHome : public ::testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/sylvatone-test-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir = pattern;
        setenv("XDG_CONFIG_HOME", (dir / "deep/config").c_str(), 1);
        setenv("HOME", (dir / "home").c_str(), 1);
    }
    void TearDown() override
    {
        std::filesystem::permissions(dir, std::filesystem::perms::owner_all, std::filesystem::perm_options::add);
        std::filesystem::remove_all(dir);
    }

    const SavedEnv xdg{"XDG_CONFIG_HOME"}, home{"HOME"};
    std::filesystem::path dir;
};
