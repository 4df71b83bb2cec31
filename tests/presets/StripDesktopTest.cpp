// The strip's use of the desktop's programs, all of them stand-ins: the file
// dialog is answered at a later idle and acted on exactly once; whatever
// goes wrong with it changes nothing; closing the window or deleting the
// effect ends it; the manual opens the user's copy, else the bundle's, else
// an alert says it cannot.
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <sstream>

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

const char* const kManualInDocuments = "/Documents/ZYM Audio/ZYM sylvatone/ZYM sylvatone Manual.pdf";
const char* const kManualInBundle = "/Contents/Resources/ZYM sylvatone Manual.pdf";

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

// A dialog that is cancelled, fails, is killed or cannot be found changes
// nothing; with no dialog at all the window says what to install.
TEST_F(StripDesktop, NoAnswerChangesNothing)
{
    const std::string bank = desktop.file("banks/good.zyb");
    writeBank(bank, "From a file");
    const std::vector<ProgramRecord> before = programs();
    desktop.script("zenity", "echo '" + bank + "'\nkill -SEGV $$");
    press(layout::kTagLoadBank);
    ASSERT_TRUE(idleUntil([&] { return !editor->fileDialogOpen(); }));
    EXPECT_TRUE(samePrograms(before));
    EXPECT_EQ(frame->getModalView(), nullptr);

    fs::remove(desktop.bin() + "/zenity");
    press(layout::kTagLoadBank);
    ASSERT_TRUE(idleUntil([&] { return !editor->fileDialogOpen(); }));
    auto* box = dynamic_cast<CAlertBox*>(frame->getModalView());
    ASSERT_NE(box, nullptr);
    EXPECT_NE(box->getText().find("Install zenity or kdialog"), std::string::npos) << box->getText();
    EXPECT_TRUE(samePrograms(before));
}

// Closing the window, or deleting the effect, ends every desktop program
// still open for it and reaps it: the file dialog, the manual's viewer
// while it starts, and an alert.
TEST_F(StripDesktop, ClosingTheWindowOrDeletingTheEffectEndsItsPrograms)
{
    const std::string writePid = "echo $$ >> '" + desktop.file("pids") + "'\nexec /bin/sleep 30";
    desktop.script("zenity", writePid);
    desktop.script("xdg-open", writePid);
    fs::create_directories(bundle + "/Contents/Resources");
    std::ofstream(bundle + kManualInBundle) << "%PDF";

    auto startAll = [&] {
        std::remove(desktop.file("pids").c_str());
        press(layout::kTagLoadBank);
        press(layout::kTagManual);
        editor->idle();
        std::vector<pid_t> pids;
        eventually([&] {
            std::istringstream in(desktop.read("pids"));
            pids.clear();
            for (pid_t p; in >> p;)
                pids.push_back(p);
            return pids.size() == 2;
        });
        return pids;
    };
    for (bool deleteEffect : {false, true}) {
        const std::vector<pid_t> pids = startAll();
        ASSERT_EQ(pids.size(), 2u);
        if (deleteEffect) {
            delete fx;
            fx = nullptr;
        } else {
            editor->close();
            EXPECT_FALSE(editor->fileDialogOpen());
            ASSERT_TRUE(editor->open(nullptr));
            frame = editor->getFrame();
        }
        for (pid_t pid : pids)
            EXPECT_TRUE(gone(pid)) << pid << (deleteEffect ? " after deleting the effect" : " after closing");
    }

}

// The button opens the user's copy, else the bundle's, and its command
// always names a file that is there; with neither, or when the viewer
// fails (found out at a later idle), the alert says so.
TEST_F(StripDesktop, TheManualButtonOpensTheFirstCopyThereIs)
{
    const std::string own = home + kManualInDocuments, shipped = bundle + kManualInBundle;
    for (const std::string& f : {own, shipped}) {
        fs::create_directories(fs::path(f).parent_path());
        std::ofstream(f) << "%PDF";
    }
    // A viewer that logs its arguments and its pid.
    desktop.script("xdg-open", "echo $$ > '" + desktop.file("pid") + "'\nprintf '%s\\n' \"$@\" > '" +
                                   desktop.file("xdg-open.args") + "'");
    desktop.dialog("zenity", "");
    auto opened = [&](const std::string& file) {
        std::remove(desktop.file("pid").c_str());
        EXPECT_EQ(CPresetSystemEditor::manualFile(), file);
        EXPECT_EQ(CPresetSystemEditor::manualCommand(), (std::vector<std::string>{"xdg-open", file}));
        press(layout::kTagManual);
        EXPECT_EQ(static_cast<CControl*>(frame->getViewAt(CPoint(750, 178)))->getValue(), 0.0f) << "released";
        const pid_t viewer = pidIn(desktop, "pid");
        EXPECT_TRUE(idleUntil([&] { return gone(viewer); })) << "reaped at an idle";
        EXPECT_EQ(desktop.read("xdg-open.args"), file + "\n");
    };
    opened(own);
    fs::remove(own);
    opened(shipped);
    for (int i = 0; i < 5; ++i)
        editor->idle();
    EXPECT_EQ(desktop.calls("zenity"), 0) << "no alert after a viewer that opened";
    EXPECT_EQ(frame->getModalView(), nullptr);

    const std::string alertArgs = "--error\n--no-markup\n--text=Could not open manual file:\n~/\"Documents/ZYM "
                                  "Audio/ZYM sylvatone/ZYM sylvatone Manual.pdf\"\n--end\n";
    // No copy at all: no viewer, only the alert.
    fs::remove(shipped);
    std::remove(desktop.file("zenity.args").c_str());
    std::remove(desktop.file("zenity.pid").c_str());
    EXPECT_EQ(CPresetSystemEditor::manualFile(), "");
    EXPECT_TRUE(CPresetSystemEditor::manualCommand().empty());
    press(layout::kTagManual);
    ASSERT_TRUE(idleUntil([&] { return desktop.calls("zenity") == 1; }));
    EXPECT_EQ(desktop.read("zenity.args"), alertArgs);
}
