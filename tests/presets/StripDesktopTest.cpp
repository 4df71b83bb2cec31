// The strip's use of the desktop's file dialog, a stand-in: it is answered
// at a later idle and acted on exactly once; whatever goes wrong with it
// changes nothing; closing the window or deleting the effect ends it.
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>

#include "editor/ADEditor.h"
#include "gui/CAlertBox.h"
#include "plugin/Sylvatone.h"
#include "presets/PresetFiles.h"
#include "resources/Layout.h"
#include "shell/BundleReference.h"
#include "tests/gui/DesktopStandIns.h"
#include "tests/gui/GuiTestSupport.h"

namespace fs = std::filesystem;
using namespace guitest;
using Clock = std::chrono::steady_clock;

namespace {

struct StripDesktop : ::testing::Test {
    void SetUp() override
    {
        setenv("XDG_CONFIG_HOME", desktop.file("config").c_str(), 1);
        setenv("HOME", home.c_str(), 1);
        useBundleFolder(bundle);
        openEditor();
    }
    void TearDown() override
    {
        delete fx;
        useBundleFolder("");
    }
    void openEditor()
    {
        fx = new Sylvatone(nullptr);
        editor = new ADEditor(fx);  // owned by fx
        ASSERT_TRUE(editor->open(nullptr));
        frame = editor->getFrame();
    }

    void press(int tag, long buttons = kLButton)
    {
        const layout::Rect& r = layout::stripButton(tag).at;
        click(frame, (r.left + r.right) / 2.0, (r.top + r.bottom) / 2.0, buttons);
    }
    // Idles as the host does (about every 30 ms) until done() or 10 s.
    bool idleUntil(const std::function<bool()>& done)
    {
        return eventually(
            [&] {
                editor->idle();
                return done();
            },
            std::chrono::milliseconds(10000));
    }
    std::string programName(int p) { return std::string(fx->program(p).name, strnlen(fx->program(p).name, 24)); }
    // A bank whose program 3 is called name, saved at path.
    void writeBank(const std::string& path, const char* name)
    {
        fs::create_directories(fs::path(path).parent_path());
        Sylvatone source(nullptr);
        source.setPresetNo(3);
        source.setPresetName(name);
        ASSERT_TRUE(saveBankFile(source.presetStore(), path));
    }
    std::vector<ProgramRecord> programs()
    {
        std::vector<ProgramRecord> all;
        for (int p = 0; p < kNumPrograms; ++p)
            all.push_back(fx->program(p));
        return all;
    }
    bool samePrograms(const std::vector<ProgramRecord>& before)
    {
        for (int p = 0; p < kNumPrograms; ++p)
            if (memcmp(&before[size_t(p)], &fx->program(p), sizeof(ProgramRecord)) != 0)
                return false;
        return true;
    }

    StandInDesktop desktop;
    const std::string home = desktop.file("home");
    const std::string bundle = desktop.file("Sylvatone.vst");
    Sylvatone* fx = nullptr;
    ADEditor* editor = nullptr;
    CFrame* frame = nullptr;
};

}  // namespace

// The dialog answers slowly: the click and every idle return at once, more
// clicks open no second dialog, and the bank is loaded at the idle that
// takes the answer, from a path no shell could carry.
TEST_F(StripDesktop, ASlowDialogsAnswerIsLoadedLaterWhateverThePath)
{
    const std::string dir = desktop.file("it's a \"dir\"\n-x $(id)");
    const std::string bank = dir + "/-bank \xff.zyb";
    writeBank(bank, "From a file");
    std::ofstream(desktop.file("zenity.answer"), std::ios::binary) << bank << "\n";
    desktop.script("zenity", "for a in \"$@\"; do printf '%s\\n' \"$a\"; done >> '" + desktop.file("zenity.args") +
                                 "'\necho --end >> '" + desktop.file("zenity.args") + "'\n/bin/sleep 0.3\n/bin/cat '" +
                                 desktop.file("zenity.answer") + "'");

    const auto start = Clock::now();
    press(layout::kTagLoadBank);
    editor->idle();
    EXPECT_LT(Clock::now() - start, std::chrono::milliseconds(150));
    EXPECT_TRUE(editor->fileDialogOpen());
    EXPECT_NE(programName(3), "From a file");
    for (int tag : {layout::kTagLoadBank, layout::kTagSaveBank, layout::kTagLoadPreset, layout::kTagSavePreset})
        press(tag);
    ASSERT_TRUE(idleUntil([&] { return !editor->fileDialogOpen(); }));
    EXPECT_EQ(programName(3), "From a file");
    EXPECT_EQ(fx->getPresetNo(), 0);
    EXPECT_EQ(desktop.calls("zenity"), 1) << desktop.read("zenity.args");

    // The folder is remembered for the next dialog.
    desktop.dialog("zenity", "", 1);
    std::remove(desktop.file("zenity.args").c_str());
    press(layout::kTagSavePreset);
    ASSERT_TRUE(idleUntil([&] { return !editor->fileDialogOpen(); }));
    EXPECT_NE(desktop.read("zenity.args").find("--filename=" + dir + "/"), std::string::npos)
        << desktop.read("zenity.args");
}

TEST_F(StripDesktop, SavingWritesTheAnsweredPathWithItsExtension)
{
    const std::string path = desktop.file("-saved \"q\"\nname");
    desktop.dialog("zenity", path + "\n");
    fx->setPresetName("Saved one");
    press(layout::kTagSavePreset);
    EXPECT_FALSE(fs::exists(path + ".zym")) << "written only when the answer is taken";
    ASSERT_TRUE(idleUntil([&] { return fs::exists(path + ".zym"); }));

    Sylvatone other(nullptr);
    ASSERT_TRUE(loadPresetFile(other.presetStore(), path + ".zym", false));
    char name[32] = {};
    other.getProgramName(name);
    EXPECT_STREQ(name, "Saved one");
}

// A dialog that is cancelled, fails, is killed or cannot be found changes
// nothing; with no dialog at all the window says what to install.
TEST_F(StripDesktop, NoAnswerChangesNothing)
{
    const std::string bank = desktop.file("banks/good.zyb");
    writeBank(bank, "From a file");
    const std::vector<ProgramRecord> before = programs();
    for (const char* ending : {"exit 1", "kill -SEGV $$", "kill -KILL $$"}) {
        desktop.script("zenity", "echo '" + bank + "'\n" + ending);
        for (int tag : {layout::kTagLoadBank, layout::kTagLoadPreset, layout::kTagSaveBank}) {
            press(tag);
            ASSERT_TRUE(editor->fileDialogOpen());
            ASSERT_TRUE(idleUntil([&] { return !editor->fileDialogOpen(); })) << ending;
            EXPECT_TRUE(samePrograms(before)) << ending;
        }
    }
    EXPECT_EQ(frame->getModalView(), nullptr);

    fs::remove(desktop.bin() + "/zenity");
    press(layout::kTagLoadBank);
    ASSERT_TRUE(idleUntil([&] { return !editor->fileDialogOpen(); }));
    auto* box = dynamic_cast<CAlertBox*>(frame->getModalView());
    ASSERT_NE(box, nullptr);
    EXPECT_NE(box->getText().find("Install zenity or kdialog"), std::string::npos) << box->getText();
    EXPECT_TRUE(samePrograms(before));
}

// Closing the window, or deleting the effect, ends a file dialog still
// open for it and reaps it.
TEST_F(StripDesktop, ClosingTheWindowOrDeletingTheEffectEndsTheDialog)
{
    desktop.script("zenity", "echo $$ > '" + desktop.file("pid") + "'\nexec /bin/sleep 30");
    for (bool deleteEffect : {false, true}) {
        std::remove(desktop.file("pid").c_str());
        press(layout::kTagLoadBank);
        editor->idle();
        const pid_t dialog = pidIn(desktop, "pid");
        ASSERT_GT(dialog, 0);
        if (deleteEffect) {
            delete fx;
            fx = nullptr;
        } else {
            editor->close();
            EXPECT_FALSE(editor->fileDialogOpen());
            ASSERT_TRUE(editor->open(nullptr));
            frame = editor->getFrame();
        }
        EXPECT_TRUE(gone(dialog)) << (deleteEffect ? "after deleting the effect" : "after closing");
    }
}
