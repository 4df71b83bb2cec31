// Preset and bank files and the preference values built on them: the
// framing in both byte orders, refusals, read-only loads, failed saves, and
// the default bank and program and the remembered paths.
#include <csignal>
#include <fstream>
#include <iterator>
#include <limits>
#include <tuple>

#include <sys/inotify.h>
#include <sys/resource.h>
#include <unistd.h>

#include "presets/PresetFiles.h"
#include "presets/XPlatFile.h"
#include "tests/presets/FakeStore.h"

namespace fs = std::filesystem;

namespace {

Bytes readBytes(const fs::path& p)
{
    std::ifstream in(p, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

void writeBytes(const fs::path& p, const Bytes& b)
{
    std::ofstream(p, std::ios::binary).write(b.data(), std::streamsize(b.size()));
}

const FakeStore kOld(0.3f);

// Old flat layout: ID, kind, then records of a name and `values` floats.
Bytes oldFile(uint8_t kind, int records, int values, bool otherOrder)
{
    const Bytes r = oldRecords(kOld, records, values, otherOrder);
    Bytes b = withWord(Bytes(5, char(kind)), 0, FakeStore().uniqueID());
    if (otherOrder)
        mySwapBytes(&b[0]);
    b.insert(b.end(), r.begin(), r.end());
    return b;
}

struct PresetFilesTest : TempHome {
    bool load(FakeStore& dst, const Bytes& bytes, bool bank, bool reversed = false)
    {
        writeBytes(dir / "file", bytes);
        return bank ? loadBankFile(dst, dir / "file", reversed) : loadPresetFile(dst, dir / "file", reversed);
    }
};

}  // namespace

TEST_F(PresetFilesTest, SavedFilesLoadInEitherByteOrderAsDoOldOnes)
{
    FakeStore src(0.0f, 3);
    const Bytes one = written(writePreset, src), six = written(writeBank, src);
    ASSERT_TRUE(savePresetFile(src, dir / "one.zym") && saveBankFile(src, dir / "six.zyb"));
    EXPECT_TRUE(readBytes(dir / "one.zym") == one && readBytes(dir / "six.zyb") == six);
    // The ID alone byte-reversed: only the reversed variant reads it right.
    const Bytes mixed = withWord(one, 0, __builtin_bswap32(uint32_t(src.uniqueID())));
    for (const auto& [bytes, reversed] : {std::pair{one, false}, {reversedTwin(one), false}, {mixed, true}}) {
        FakeStore dst(0.5f, 5);
        ASSERT_TRUE(load(dst, bytes, false, reversed)) << reversed;
        EXPECT_TRUE(dst.holds(src.carried(3), 5) && dst.holds(FakeStore(0.5f).progs[0], 0));
        EXPECT_EQ(dst.log.back(), "select 5");
    }
    FakeStore plain(0.5f);
    EXPECT_FALSE(load(plain, mixed, false) || load(plain, one, false, true));
    EXPECT_TRUE(plain == FakeStore(0.5f));
    for (const Bytes& bytes : {six, reversedTwin(six)}) {
        FakeStore dst(0.5f, 4);
        ASSERT_TRUE(load(dst, bytes, true));
        for (int p = 0; p < kNumPrograms; ++p)
            EXPECT_TRUE(dst.holds(src.carried(p), p)) << p;
        // The file names program 3; a loaded bank starts at program 0, once.
        EXPECT_EQ(Log(dst.log.end() - 3, dst.log.end()), (Log{"entry 0", "show P0 0.0", "select 0"}));
        EXPECT_EQ(std::count(dst.log.begin(), dst.log.end(), "select 0"), 1);
    }
    // The value count of old files follows from their length.
    for (bool otherOrder : {false, true}) {
        FakeStore one(0.5f, 2), six(0.5f, 2);
        ASSERT_TRUE(load(one, oldFile(kKindPresetOld, 1, 30, otherOrder), false));
        ASSERT_TRUE(load(six, oldFile(kKindBankOld, 6, 30, otherOrder), true));
        EXPECT_TRUE(one.holds(kOld.carried(0, 30), 2));
        for (int p = 0; p < kNumPrograms; ++p)
            EXPECT_TRUE(six.holds(kOld.carried(p, 30), p)) << p;
        EXPECT_EQ(six.sel, 0);
    }
}

TEST_F(PresetFilesTest, RefusedFilesChangeNothing)
{
    FakeStore src;
    const Bytes p = written(writePreset, src), b = written(writeBank, src);
    auto cut = [](const Bytes& v, size_t n) { return Bytes(v.begin(), v.begin() + long(n)); };
    auto kind = [](Bytes v, uint8_t k) { v[4] = char(k); return v; };
    const std::vector<std::tuple<const char*, Bytes, bool>> cases = {
        {"empty", {}, false}, {"ID and kind only", cut(b, 5), true}, {"header cut", cut(p, 40), false},
        {"last block cut", cut(p, p.size() - 1), false}, {"foreign ID", withWord(p, 0, 0x4E6F4566), false},
        {"bank as program", b, false}, {"program as bank", p, true}, {"MIDI map kind", kind(p, kKindMidiMap), false},
        {"declared length too long", withWord(p, 21, int32_t(p.size() - 41 + 1)), false},
        {"negative declared length", withWord(b, 21, -8), true}, {"negative block count", withWord(p, 13, -1), false},
        {"bad value in the last program", withWord(b, b.size() - 8, std::numeric_limits<float>::infinity()), true},
        {"old program without a whole name", cut(oldFile(kKindPresetOld, 1, 0, false), 28), false},
        // Zero bytes would read as valid values if the records were not checked.
        {"old bank without six names", kind(withWord(Bytes(148), 0, src.uniqueID()), kKindBankOld), true},
        {"over the size cap", [&] { Bytes huge = b; huge.resize(kMaxPresetFileSize + 1); return huge; }(), true}};
    for (const auto& [what, bytes, bank] : cases) {
        FakeStore dst(0.5f, 4);
        EXPECT_FALSE(load(dst, bytes, bank)) << what;
        EXPECT_TRUE(dst == FakeStore(0.5f, 4)) << what;
        EXPECT_EQ(dst.log, Log()) << what << ": the window is not touched either";
    }
    FakeStore dst(0.5f);
    EXPECT_FALSE(loadBankFile(dst, dir / "missing.zyb", false) || loadBankFile(dst, dir, false));
    EXPECT_TRUE(dst == FakeStore(0.5f));
}

TEST_F(PresetFilesTest, FailedSaveLeavesTheOldFileAndNoTemporary)
{
    FakeStore src;
    const fs::path file = dir / "keep.zyb";
    const fs::perms mode = fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read;
    writeBytes(file, {'o', 'l', 'd'});
    fs::permissions(file, mode);
    // Writes beyond 1000 bytes fail, as on a full disk.
    rlimit saved;
    getrlimit(RLIMIT_FSIZE, &saved);
    const rlimit small{1000, saved.rlim_max};
    void (*handler)(int) = signal(SIGXFSZ, SIG_IGN);
    setrlimit(RLIMIT_FSIZE, &small);
    const bool savedWhileFull = saveBankFile(src, file);
    setrlimit(RLIMIT_FSIZE, &saved);
    signal(SIGXFSZ, handler);
    EXPECT_FALSE(savedWhileFull);
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
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), {}), 2);

    // Saving through a link replaces the file it names and keeps the link.
    fs::create_symlink(file.filename(), dir / "link.zyb");
    ASSERT_TRUE(saveBankFile(src, dir / "link.zyb"));
    EXPECT_TRUE(fs::is_symlink(dir / "link.zyb"));
    EXPECT_EQ(readBytes(file), written(writeBank, src));
    EXPECT_EQ(fs::status(file).permissions(), mode);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), {}), 3);
}

// The memories and the default bank's round trip are tried through the window.
TEST_F(PresetFilesTest, DefaultsAndPathsThroughPreferences)
{
    Preferences prefs;
    FakeStore a(0.1f, 2), b(0.7f, 5), loaded(0.4f), started(0.4f), later(0.0f, 3);
    // A default bank selects the program it names; a new instance then
    // starts at program 0, which the default program replaces.
    ASSERT_TRUE(saveDefaultBank(a, prefs) && saveDefaultPreset(b, prefs));
    ASSERT_TRUE(loadDefaultBank(loaded, prefs));
    EXPECT_EQ(loaded.sel, 2);
    loadDefaults(started, prefs);
    EXPECT_EQ(started.sel, 0);
    EXPECT_TRUE(started.holds(b.carried(5), 0) && started.holds(a.carried(4), 4));
    // Without them the programs stay as they are.
    ASSERT_TRUE(resetDefaultBank(prefs) && resetDefaultPreset(prefs) && resetDefaultMidi(prefs));
    loadDefaults(later, prefs);
    EXPECT_TRUE(later == FakeStore());

    PresetPaths chosen{"", "", "Warm bass.zym"}, recalled{"", "", "mine.zym"};
    EXPECT_TRUE(XPlatGetFileNameAndDir("/home/u/Banks/Live.zyb", chosen.bank, chosen.dir));
    EXPECT_FALSE(XPlatGetFileNameAndDir("no-folder.zyb", chosen.bank, chosen.dir));
    ASSERT_TRUE(storePathsAndFilenames(chosen, prefs) && prefs.setString(kPrefCurrPreset, std::string("a\0b", 3)));
    recallPathsAndFilenames(recalled, Preferences());
    // A value with a NUL is not recalled.
    EXPECT_EQ((std::vector<std::string>{recalled.dir, recalled.bank, recalled.preset}),
              (std::vector<std::string>{"/home/u/Banks/", "Live.zyb", "mine.zym"}));
}
