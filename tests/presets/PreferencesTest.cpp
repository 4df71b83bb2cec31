// The preference store in a temporary config folder: values shared between
// instances, where the folder lies, and keys that look like paths.
#include "presets/Preferences.h"
#include "tests/presets/FakeStore.h"

namespace fs = std::filesystem;

namespace {

struct PreferencesTest : TempHome {
    long files(const fs::path& in)
    {
        return std::count_if(fs::recursive_directory_iterator(in), {}, [](const auto& e) { return !e.is_directory(); });
    }
};

}  // namespace

TEST_F(PreferencesTest, FolderAndValuesSharedBetweenInstances)
{
    Preferences a, b;
    const std::string binary("\x01\x00\xFF\x00zz", 6);
    std::vector<char> got;
    std::string text;
    EXPECT_FALSE(a.getBytes(kPrefDefaultBank, got));
    EXPECT_FALSE(fs::exists(dir / "deep")) << "reading creates nothing";
    ASSERT_TRUE(a.setBytes(kPrefDefaultBank, binary.data(), binary.size()) && a.setBytes(kPrefMemoAPreset, "", 0));
    EXPECT_EQ(a.folder(), (dir / "deep/config/net.zym-audio.sylvatone").string());
    EXPECT_EQ(fs::status(a.folder()).permissions() & fs::perms::all, fs::perms::owner_all);
    ASSERT_TRUE(b.getBytes(kPrefDefaultBank, got));
    EXPECT_EQ(std::string(got.begin(), got.end()), binary);
    ASSERT_TRUE(b.getBytes(kPrefMemoAPreset, got));
    EXPECT_TRUE(got.empty());

    ASSERT_TRUE(a.setString(kPrefCurrDir, "/home/x/Presets/") && b.setString(kPrefCurrDir, "/other/"));
    ASSERT_TRUE(a.getString(kPrefCurrDir, text));
    EXPECT_EQ(text, "/other/");
    EXPECT_TRUE(a.remove(kPrefCurrDir));
    EXPECT_FALSE(b.getString(kPrefCurrDir, text));
    EXPECT_TRUE(a.remove(kPrefCurrDir)) << "removing what is gone succeeds";
    EXPECT_EQ(files(dir), 2) << "no temporary file is left";

    // Without an absolute XDG_CONFIG_HOME the folder lies in ~/.config.
    setenv("XDG_CONFIG_HOME", "relative/config", 1);
    EXPECT_EQ(Preferences().folder(), (dir / "home/.config/net.zym-audio.sylvatone").string());
    unsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(Preferences("org.example").folder(), (dir / "home/.config/org.example").string());
    for (const char* bad : {"", ".", "..", "a/b"}) {
        Preferences p(bad);
        EXPECT_EQ(p.folder(), "");
        EXPECT_FALSE(p.setString("k", "v")) << bad;
    }
}

TEST_F(PreferencesTest, OddKeysGetTheirOwnFileInsideTheFolder)
{
    Preferences p, q;
    const std::vector<std::string> keys = {"../escape", "a/b", "/abs", ".", "..", ".hidden", "%41", "A",
                                           std::string("x\0y", 3), "x", "\xC3\xA4 key", "CurrDir"};
    for (const std::string& k : keys)
        ASSERT_TRUE(p.setString(k, "value of " + k)) << k;
    for (const std::string& k : keys) {
        std::string v;
        ASSERT_TRUE(q.getString(k, v)) << k;
        EXPECT_EQ(v, "value of " + k);
    }
    // Each in a file of its own, right inside the folder.
    EXPECT_EQ(files(dir), long(keys.size()));
    EXPECT_EQ(std::distance(fs::directory_iterator(p.folder()), {}), long(keys.size()));
    EXPECT_FALSE(p.setString("", "v"));
    EXPECT_FALSE(p.setString(std::string(200, 'k'), "v"));
}
