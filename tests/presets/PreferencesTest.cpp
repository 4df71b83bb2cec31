// The preference store in a temporary config folder: values shared between
// instances, where the folder lies, and keys that look like paths.
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "presets/Preferences.h"

namespace fs = std::filesystem;

namespace {

std::optional<std::string> getEnv(const char* name)
{
    const char* v = getenv(name);
    return v ? std::optional<std::string>(v) : std::nullopt;
}

void setEnv(const char* name, const std::optional<std::string>& v)
{
    v ? setenv(name, v->c_str(), 1) : unsetenv(name);
}

class PreferencesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/sylvatone-prefs-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        root = pattern;
        setenv("XDG_CONFIG_HOME", (root / "deep/config").c_str(), 1);
        setenv("HOME", (root / "home").c_str(), 1);
    }
    void TearDown() override
    {
        fs::remove_all(root);
        setEnv("XDG_CONFIG_HOME", xdg);
        setEnv("HOME", home);
    }
    std::vector<fs::path> files()
    {
        std::vector<fs::path> found;
        for (const auto& e : fs::recursive_directory_iterator(root))
            if (!e.is_directory())
                found.push_back(e.path());
        return found;
    }

    const std::optional<std::string> xdg = getEnv("XDG_CONFIG_HOME"), home = getEnv("HOME");
    fs::path root;
};

}  // namespace

TEST_F(PreferencesTest, ValuesRoundTripAndAreSharedBetweenInstances)
{
    Preferences a;
    const std::string binary("\x01\x00\xFF\x00zz", 6);
    std::vector<char> got;
    std::string text;
    EXPECT_FALSE(a.getBytes(kPrefDefaultBank, got));
    EXPECT_FALSE(fs::exists(root / "deep")) << "reading creates nothing";

    ASSERT_TRUE(a.setBytes(kPrefDefaultBank, binary.data(), binary.size()));
    ASSERT_TRUE(a.setString(kPrefCurrDir, "/home/x/Presets/"));
    ASSERT_TRUE(a.setBytes(kPrefMemoAPreset, "", 0));
    EXPECT_EQ(a.folder(), (root / "deep/config/net.zym-audio.sylvatone").string());
    EXPECT_EQ(fs::status(a.folder()).permissions() & fs::perms::all, fs::perms::owner_all);

    Preferences b;
    ASSERT_TRUE(b.getBytes(kPrefDefaultBank, got));
    EXPECT_EQ(std::string(got.begin(), got.end()), binary);
    ASSERT_TRUE(b.getString(kPrefCurrDir, text));
    EXPECT_EQ(text, "/home/x/Presets/");
    ASSERT_TRUE(b.getBytes(kPrefMemoAPreset, got));
    EXPECT_TRUE(got.empty());

    ASSERT_TRUE(b.setString(kPrefCurrDir, "/other/"));
    ASSERT_TRUE(a.getString(kPrefCurrDir, text));
    EXPECT_EQ(text, "/other/");
    EXPECT_TRUE(a.remove(kPrefCurrDir));
    EXPECT_FALSE(b.getString(kPrefCurrDir, text));
    EXPECT_TRUE(a.remove(kPrefCurrDir)) << "removing what is gone succeeds";
    EXPECT_EQ(files().size(), 2u) << "no temporary file is left";
}

TEST_F(PreferencesTest, FolderFollowsTheEnvironment)
{
    setenv("XDG_CONFIG_HOME", "relative/config", 1);
    EXPECT_EQ(Preferences().folder(), (root / "home/.config/net.zym-audio.sylvatone").string());
    unsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(Preferences("org.example").folder(), (root / "home/.config/org.example").string());
    for (const char* bad : {"", ".", "..", "a/b"}) {
        Preferences p(bad);
        EXPECT_EQ(p.folder(), "");
        EXPECT_FALSE(p.setString("k", "v")) << bad;
    }
}

TEST_F(PreferencesTest, OddKeysGetTheirOwnFileInsideTheFolder)
{
    Preferences p;
    const std::vector<std::string> keys = {"../escape", "a/b", "/abs", ".", "..", ".hidden", "%41", "A",
                                           std::string("x\0y", 3), "x", "\xC3\xA4 key", "CurrDir"};
    for (const std::string& k : keys)
        ASSERT_TRUE(p.setString(k, "value of " + k)) << k;
    for (const std::string& k : keys) {
        std::string v;
        ASSERT_TRUE(p.getString(k, v)) << k;
        EXPECT_EQ(v, "value of " + k);
    }
    const std::vector<fs::path> found = files();
    EXPECT_EQ(found.size(), keys.size());
    for (const fs::path& f : found)
        EXPECT_EQ(f.parent_path(), fs::path(p.folder())) << f;
    EXPECT_FALSE(p.setString("", "v"));
    EXPECT_FALSE(p.setString(std::string(200, 'k'), "v"));
}
