// Preset and bank files and the preference values built on them: round trips
// in both byte orders, the old layout, refusals, failed saves, and the
// user's defaults and memories in a temporary config folder.
#include <algorithm>
#include <array>
#include <cmath>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include <gtest/gtest.h>
#include <sys/inotify.h>
#include <sys/resource.h>
#include <unistd.h>

#include "presets/PresetFiles.h"
#include "presets/XPlatFile.h"

namespace fs = std::filesystem;

namespace {

using Log = std::vector<std::string>;
using Bytes = std::vector<char>;

struct FakeStore : PresetStore {
    explicit FakeStore(float shift = 0.0f, long selected = 0) : sel(selected)
    {
        for (int p = 0; p < kNumPrograms; ++p) {
            snprintf(progs[p].name, sizeof progs[p].name, "P%d shift %.2f", p, shift);
            for (int i = 0; i < kNumProgramParams; ++i)
                progs[p].params[i] = std::fmod((p * 42 + i + 1) / 300.0f + shift, 1.0f);
        }
        std::fill(std::begin(templ.params), std::end(templ.params), 0.25f);
    }
    int32_t uniqueID() override { return 0x4B525441; }
    long presetNo() override { return sel; }
    ProgramRecord* programs() override { return progs.data(); }
    bool isDummy(int i) override { return i % 3 == 2 || i > 36; }  // 25 carried
    bool isDummyOld(int i) override { return i == 4; }
    void initializePreset(long i) override { progs[i] = templ; }
    void setPresetName(const char* n) override { log.push_back("name " + std::string(n)); }
    void setPresetNo(long n) override { sel = n; log.push_back("select " + std::to_string(n)); }
    void showMenuEntry(int e, const char* n) override { log.push_back("menu " + std::to_string(e) + " " + n); }
    void selectMenuEntry(int e) override { log.push_back("entry " + std::to_string(e)); }
    void showName(const char* n) override { log.push_back("show " + std::string(n)); }

    // Program p as its current-layout buffer reads back: the template with
    // the carried values and the name.
    ProgramRecord carried(int p)
    {
        ProgramRecord r = templ;
        memcpy(r.name, progs[p].name, sizeof r.name);
        for (int i = 0; i < kNumProgramParams; ++i)
            r.params[i] = isDummy(i) ? r.params[i] : progs[p].params[i];
        return r;
    }
    bool holds(const ProgramRecord& r, int p) const { return memcmp(&r, &progs[p], sizeof r) == 0; }
    bool operator==(const FakeStore& o) const { return memcmp(&progs, &o.progs, sizeof progs) == 0 && sel == o.sel; }

    std::array<ProgramRecord, kNumPrograms> progs{};
    ProgramRecord templ{"Template", {}};
    long sel;
    Log log;
};

Bytes readBytes(const fs::path& p)
{
    std::ifstream in(p, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

void writeBytes(const fs::path& p, const Bytes& b)
{
    std::ofstream(p, std::ios::binary).write(b.data(), std::streamsize(b.size()));
}

Bytes withWord(Bytes b, size_t at, int32_t v)
{
    memcpy(&b[at], &v, 4);
    return b;
}

// A current-layout buffer as a machine of the other byte order writes it.
Bytes reversedTwin(Bytes b)
{
    for (size_t off = 0; off < 41; off += off == 0 ? 5 : 4)
        mySwapBytes(&b[off]);
    for (size_t pos = 41; pos + 12 <= b.size();) {
        int32_t type, size;
        memcpy(&type, &b[pos], 4);
        memcpy(&size, &b[pos + 4], 4);
        for (size_t w = 0; w < 12 + (type == kBlockName ? 0u : size_t(size)); w += 4)
            mySwapBytes(&b[pos + w]);
        pos += 12 + size_t(size);
    }
    return b;
}

// Old flat layout: ID, kind, then records of a name and `values` floats.
Bytes oldLayout(FakeStore& src, uint8_t kind, int records, int values, bool otherOrder)
{
    Bytes b = withWord(Bytes(5, char(kind)), 0, src.uniqueID());
    for (int p = 0; p < records; ++p) {
        b.insert(b.end(), src.progs[p].name, src.progs[p].name + kProgramNameSize);
        for (int j = 0; j < values; ++j) {
            b.resize(b.size() + 4);
            memcpy(&b[b.size() - 4], &src.progs[p].params[j], 4);
        }
    }
    for (size_t w = 0; otherOrder && w < b.size(); w += w == 0 ? 5 : 4)
        if (w < 5 || (w - 5) % (24 + 4 * size_t(values)) >= 24)
            mySwapBytes(&b[w]);
    return b;
}

class PresetFilesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/sylvatone-files-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir = pattern;
        hadXdg = getenv("XDG_CONFIG_HOME") != nullptr;
        oldXdg = hadXdg ? getenv("XDG_CONFIG_HOME") : "";
        setenv("XDG_CONFIG_HOME", (dir / "config").c_str(), 1);
    }
    void TearDown() override
    {
        fs::permissions(dir, fs::perms::owner_all, fs::perm_options::add);
        fs::remove_all(dir);
        hadXdg ? setenv("XDG_CONFIG_HOME", oldXdg.c_str(), 1) : unsetenv("XDG_CONFIG_HOME");
    }
    size_t entries() { return size_t(std::distance(fs::directory_iterator(dir), {})); }

    fs::path dir;
    bool hadXdg = false;
    std::string oldXdg;
};

}  // namespace

TEST_F(PresetFilesTest, RoundTripsInBothByteOrders)
{
    FakeStore src(0.0f, 3);
    ASSERT_TRUE(savePresetFile(src, dir / "one.zym"));
    ASSERT_TRUE(saveBankFile(src, dir / "six.zyb"));
    const Bytes one = readBytes(dir / "one.zym"), six = readBytes(dir / "six.zyb");
    EXPECT_EQ(six.size(), 41 + 6 * (168 + 32 * 25u));
    writeBytes(dir / "one-be.zym", reversedTwin(one));
    writeBytes(dir / "six-be.zyb", reversedTwin(six));
    // The ID alone byte-reversed: only the reversed variant reads it right.
    writeBytes(dir / "mixed.zym", withWord(one, 0, int32_t(__builtin_bswap32(uint32_t(src.uniqueID())))));

    for (auto [file, reversed] : {std::pair{"one.zym", false}, {"one-be.zym", false}, {"mixed.zym", true}}) {
        FakeStore dst(0.5f, 5);
        ASSERT_TRUE(loadPresetFile(dst, dir / file, reversed)) << file;
        EXPECT_TRUE(dst.holds(src.carried(3), 5)) << file;
        EXPECT_TRUE(dst.holds(FakeStore(0.5f).progs[0], 0));
        EXPECT_EQ(dst.log.back(), "select 5");
    }
    FakeStore plain(0.5f);
    EXPECT_FALSE(loadPresetFile(plain, dir / "mixed.zym", false));
    EXPECT_FALSE(loadPresetFile(plain, dir / "one.zym", true));
    EXPECT_TRUE(plain == FakeStore(0.5f));

    for (const char* file : {"six.zyb", "six-be.zyb"}) {
        FakeStore dst(0.5f, 4);
        ASSERT_TRUE(loadBankFile(dst, dir / file, false));
        for (int p = 0; p < kNumPrograms; ++p)
            EXPECT_TRUE(dst.holds(src.carried(p), p)) << file << " program " << p;
        // The file names program 3; a loaded bank starts at program 0, once.
        EXPECT_EQ(Log(dst.log.end() - 3, dst.log.end()), (Log{"entry 0", "show P0 shift 0.00", "select 0"}));
        EXPECT_EQ(std::count(dst.log.begin(), dst.log.end(), "select 0"), 1);
    }
}

TEST_F(PresetFilesTest, OldLayoutFilesInBothByteOrders)
{
    FakeStore src;
    for (bool otherOrder : {false, true}) {
        writeBytes(dir / "old.zym", oldLayout(src, kKindPresetOld, 1, 30, otherOrder));
        writeBytes(dir / "old.zyb", oldLayout(src, kKindBankOld, 6, 42, otherOrder));
        FakeStore one(0.5f, 2), six(0.5f, 2);
        ASSERT_TRUE(loadPresetFile(one, dir / "old.zym", false));
        ASSERT_TRUE(loadBankFile(six, dir / "old.zyb", false));
        EXPECT_STREQ(one.progs[2].name, src.progs[0].name);
        for (int j = 0; j < kNumProgramParams; ++j)
            EXPECT_EQ(one.progs[2].params[j], j < 30 && j != 4 ? src.progs[0].params[j] : 0.25f) << j;
        for (int p = 0; p < kNumPrograms; ++p) {
            EXPECT_STREQ(six.progs[p].name, src.progs[p].name);
            EXPECT_EQ(six.progs[p].params[41], src.progs[p].params[41]);
            EXPECT_EQ(six.progs[p].params[4], 0.25f);
        }
        EXPECT_EQ(six.sel, 0);
    }
}

TEST_F(PresetFilesTest, RefusedFilesChangeNothing)
{
    FakeStore src;
    ASSERT_TRUE(savePresetFile(src, dir / "p"));
    ASSERT_TRUE(saveBankFile(src, dir / "b"));
    const Bytes p = readBytes(dir / "p"), b = readBytes(dir / "b");
    auto cut = [](const Bytes& v, size_t n) { return Bytes(v.begin(), v.begin() + long(n)); };
    auto kind = [](Bytes v, uint8_t k) { v[4] = char(k); return v; };
    const float bad = 1.5f;
    int32_t badBits;
    memcpy(&badBits, &bad, 4);
    Bytes huge = b;
    huge.resize(kMaxPresetFileSize + 1);

    const std::vector<std::tuple<const char*, Bytes, bool>> cases = {
        {"empty", {}, false},
        {"4 bytes", cut(p, 4), false},
        {"ID and kind only", cut(b, 5), true},
        {"header cut", cut(p, 40), false},
        {"last block cut", cut(p, p.size() - 1), false},
        {"bank cut", cut(b, b.size() - 1), true},
        {"foreign ID", withWord(p, 0, 0x4E6F4566), false},
        {"bank as program", b, false},
        {"program as bank", p, true},
        {"MIDI map kind", kind(p, kKindMidiMap), false},
        {"declared length too long", withWord(p, 21, int32_t(p.size() - 41 + 1)), false},
        {"negative declared length", withWord(b, 21, -8), true},
        {"negative block count", withWord(p, 13, -1), false},
        {"bad value", withWord(p, 41 + 168 + 24, badBits), false},
        {"bad value in the last program", withWord(b, b.size() - 8, badBits), true},
        {"old program without a whole name", cut(oldLayout(src, kKindPresetOld, 1, 0, false), 28), false},
        // Zero bytes would read as valid values if the records were not checked.
        {"old bank without six names", kind(withWord(Bytes(148), 0, src.uniqueID()), kKindBankOld), true},
        {"over the size cap", huge, true},
    };
    for (const auto& [what, bytes, bank] : cases) {
        writeBytes(dir / "refused", bytes);
        FakeStore dst(0.5f, 4);
        EXPECT_FALSE(bank ? loadBankFile(dst, dir / "refused", false) : loadPresetFile(dst, dir / "refused", false))
            << what;
        EXPECT_TRUE(dst == FakeStore(0.5f, 4)) << what;
        EXPECT_EQ(dst.log, Log()) << what << ": the window is not touched either";
    }
    FakeStore dst(0.5f);
    EXPECT_FALSE(loadBankFile(dst, dir / "missing.zyb", false));
    EXPECT_FALSE(loadBankFile(dst, dir, false));
    EXPECT_TRUE(dst == FakeStore(0.5f));
}

TEST_F(PresetFilesTest, LoadOpensTheFileReadOnly)
{
    FakeStore src, dst(0.5f);
    const fs::path file = dir / "locked.zyb";
    ASSERT_TRUE(saveBankFile(src, file));
    fs::permissions(file, fs::perms::owner_read);
    // Root may open any file for writing, so watch how it is opened.
    const int watch = inotify_init1(IN_NONBLOCK);
    ASSERT_GE(inotify_add_watch(watch, file.c_str(), IN_CLOSE_WRITE | IN_CLOSE_NOWRITE | IN_MODIFY), 0);
    EXPECT_TRUE(loadBankFile(dst, file, false));
    alignas(inotify_event) char events[4096];
    const ssize_t n = read(watch, events, sizeof events);
    close(watch);
    uint32_t seen = 0;
    for (ssize_t at = 0; at < n; at += ssize_t(sizeof(inotify_event) + reinterpret_cast<inotify_event*>(events + at)->len))
        seen |= reinterpret_cast<inotify_event*>(events + at)->mask;
    EXPECT_EQ(seen, uint32_t(IN_CLOSE_NOWRITE));
}

TEST_F(PresetFilesTest, FailedSaveLeavesTheOldFileAndNoTemporary)
{
    FakeStore src;
    const fs::path file = dir / "keep.zyb";
    const fs::perms mode = fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read;
    writeBytes(file, {'o', 'l', 'd'});
    fs::permissions(file, mode);
    {
        // Writes beyond 1000 bytes fail, as on a full disk.
        struct rlimit saved, small;
        getrlimit(RLIMIT_FSIZE, &saved);
        small = saved;
        small.rlim_cur = 1000;
        void (*handler)(int) = signal(SIGXFSZ, SIG_IGN);
        setrlimit(RLIMIT_FSIZE, &small);
        const bool saved1 = saveBankFile(src, file);
        setrlimit(RLIMIT_FSIZE, &saved);
        signal(SIGXFSZ, handler);
        EXPECT_FALSE(saved1);
    }
    EXPECT_FALSE(saveBankFile(src, dir / "missing/x.zyb"));
    fs::create_directory(dir / "folder.zyb");
    EXPECT_FALSE(saveBankFile(src, dir / "folder.zyb"));
    if (geteuid() != 0) {  // root writes anywhere
        fs::permissions(dir, fs::perms::owner_write, fs::perm_options::remove);
        EXPECT_FALSE(saveBankFile(src, file)) << "read-only folder";
        fs::permissions(dir, fs::perms::owner_write, fs::perm_options::add);
        fs::permissions(file, fs::perms::owner_write, fs::perm_options::remove);
        EXPECT_FALSE(saveBankFile(src, file)) << "read-only file";
        fs::permissions(file, fs::perms::owner_write, fs::perm_options::add);
    }
    EXPECT_EQ(readBytes(file), (Bytes{'o', 'l', 'd'}));
    EXPECT_EQ(entries(), 2u);

    // Saving through a link replaces the file it names and keeps the link.
    fs::create_symlink(file.filename(), dir / "link.zyb");
    ASSERT_TRUE(saveBankFile(src, dir / "link.zyb"));
    EXPECT_TRUE(fs::is_symlink(dir / "link.zyb"));
    EXPECT_EQ(readBytes(file).size(), 5849u);
    EXPECT_EQ(fs::status(file).permissions(), mode);
    EXPECT_EQ(entries(), 3u);
}

TEST_F(PresetFilesTest, DefaultsMemoriesAndPathsThroughPreferences)
{
    Preferences prefs;
    FakeStore fresh(0.0f, 3);
    PresetPaths paths{"/keep/", "", ""};
    loadDefaults(fresh, prefs, paths);
    EXPECT_TRUE(fresh == FakeStore());
    EXPECT_EQ(paths.dir, "/keep/");

    FakeStore a(0.1f, 2), b(0.7f, 5), other(0.4f, 1);
    ASSERT_TRUE(storeA(a, prefs));
    ASSERT_TRUE(storeB(b, prefs));
    ASSERT_TRUE(recallA(other, Preferences()));
    EXPECT_TRUE(other.holds(a.carried(2), 1));
    ASSERT_TRUE(recallB(other, Preferences()));
    EXPECT_TRUE(other.holds(b.carried(5), 1));

    // A default bank selects the program it names; a new instance then
    // starts at program 0, which the default program replaces.
    ASSERT_TRUE(saveDefaultBank(a, prefs));
    ASSERT_TRUE(saveDefaultPreset(b, prefs));
    FakeStore loaded(0.4f), started(0.4f), twin(0.4f), untouched(0.4f), later;
    ASSERT_TRUE(loadDefaultBank(loaded, prefs));
    EXPECT_EQ(loaded.sel, 2);
    loadDefaults(started, prefs, paths);
    EXPECT_EQ(started.sel, 0);
    EXPECT_TRUE(started.holds(b.carried(5), 0));
    EXPECT_TRUE(started.holds(a.carried(4), 4));

    Bytes bank, memo;
    ASSERT_TRUE(prefs.getBytes(kPrefDefaultBank, bank));
    ASSERT_TRUE(prefs.setBytes(kPrefDefaultBank, reversedTwin(bank).data(), bank.size()));
    ASSERT_TRUE(loadDefaultBank(twin, prefs));
    EXPECT_TRUE(twin == loaded);
    ASSERT_TRUE(prefs.getBytes(kPrefMemoAPreset, memo));
    ASSERT_TRUE(prefs.setBytes(kPrefMemoAPreset, memo.data(), memo.size() - 1));
    EXPECT_FALSE(recallA(untouched, prefs));
    EXPECT_FALSE(recallB(untouched, Preferences("org.example.empty")));
    EXPECT_TRUE(untouched == FakeStore(0.4f));

    ASSERT_TRUE(resetDefaultBank(prefs) && resetDefaultPreset(prefs) && resetDefaultMidi(prefs));
    loadDefaults(later, prefs, paths);
    EXPECT_TRUE(later == FakeStore());

    PresetPaths chosen{"", "", "Warm bass.zym"};
    EXPECT_TRUE(XPlatGetFileNameAndDir("/home/u/Banks/Live.zyb", chosen.bank, chosen.dir));
    EXPECT_FALSE(XPlatGetFileNameAndDir("no-folder.zyb", chosen.bank, chosen.dir));
    ASSERT_TRUE(storePathsAndFilenames(chosen, prefs));
    ASSERT_TRUE(prefs.setString(kPrefCurrPreset, std::string("a\0b", 3)));
    PresetPaths recalled{"", "", "mine.zym"};
    recallPathsAndFilenames(recalled, Preferences());
    EXPECT_EQ(recalled.dir, "/home/u/Banks/");
    EXPECT_EQ(recalled.bank, "Live.zyb");
    EXPECT_EQ(recalled.preset, "mine.zym") << "a value with a NUL is not recalled";
}
