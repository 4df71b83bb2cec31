// The file dialog: the desktop portal's file chooser, else zenity, else
// kdialog, else a message in the window. Every program is a stand-in: the
// portal a small GIO program on a private bus, the others scripts on PATH.
#include <gtest/gtest.h>

#include <sys/socket.h>
#include <sys/un.h>

#include <chrono>
#include <cstdio>

#include "DesktopStandIns.h"
#include "GuiTestSupport.h"
#include "gui/CAlertBox.h"
#include "gui/CNewFileSelector.h"
#include "gui/PortalFileChooser.h"

using namespace guitest;
using Files = std::vector<std::string>;
using Shown = CNewFileSelector::Shown;
using Clock = std::chrono::steady_clock;

namespace {

struct FileSelectorTest : ::testing::Test {
    void TearDown() override
    {
        for (CNewFileSelector* s : selectors)
            s->forget();
    }

    CNewFileSelector* make(CNewFileSelector::Style style, CFrame* frame = nullptr)
    {
        selectors.push_back(CNewFileSelector::create(frame, style));
        CNewFileSelector* s = selectors.back();
        s->setTitle("Load bank");
        s->setInitialDirectory("/home/user/banks");
        s->setDefaultSaveName("Live.zyb");
        s->setDefaultExtension(CFileExtension("ZYM Bank", "zyb"));
        return s;
    }

    // Runs the dialog and polls it as the idle does until it has answered;
    // the answer must come exactly once, never from run() itself.
    Files answer(CNewFileSelector* s)
    {
        int calls = 0;
        Files got;
        EXPECT_TRUE(s->run([&](const Files& files) {
            ++calls;
            got = files;
        }));
        EXPECT_EQ(calls, 0);
        EXPECT_TRUE(eventually([&] { return !s->poll(); }));
        EXPECT_EQ(calls, 1);
        EXPECT_EQ(s->getNumSelectedFiles(), static_cast<long>(got.size()));
        return got;
    }

    StandInDesktop desktop;
    std::vector<CNewFileSelector*> selectors;
};

}  // namespace

TEST_F(FileSelectorTest, ZenityIsAskedWithTheDialogsSettings)
{
    desktop.dialog("zenity", "/home/user/banks/My Bank\n");
    CNewFileSelector* save = make(CNewFileSelector::kSelectSaveFile);
    EXPECT_EQ(answer(save), Files{"/home/user/banks/My Bank.zyb"}) << "saving adds the default extension";
    EXPECT_EQ(save->shownBy(), Shown::Zenity);
    EXPECT_STREQ(save->getSelectedFile(0), "/home/user/banks/My Bank.zyb");
    EXPECT_EQ(save->getSelectedFile(1), nullptr);
    EXPECT_EQ(desktop.read("zenity.args"), "--file-selection\n--save\n--confirm-overwrite\n"
                                           "--title=Load bank\n--filename=/home/user/banks/Live.zyb\n"
                                           "--file-filter=ZYM Bank | *.zyb\n--file-filter=All files | *\n--end\n");

    CNewFileSelector* open = make(CNewFileSelector::kSelectFile);
    open->setInitialDirectory("-dashed/");
    open->setAllowMultiFileSelection(true);
    desktop.dialog("zenity", "/a/plain\n/a/other.zyb\n");
    EXPECT_EQ(answer(open), (Files{"/a/plain", "/a/other.zyb"})) << "opening adds none";
    EXPECT_NE(desktop.read("zenity.args").find("--file-selection\n--multiple\n--separator=\n\n--title=Load bank\n"
                                               "--filename=-dashed/\n--file-filter=ZYM Bank | *.zyb\n"),
              std::string::npos)
        << desktop.read("zenity.args");
}

// Whatever bytes the dialog prints, the path is taken as they are: one
// path is everything before the final newline.
TEST_F(FileSelectorTest, AnAnswerIsTakenByteForByte)
{
    const std::pair<std::string, Files> cases[] = {
        {"/tmp/a b/it's \"q\" $(x).zyb\n", {"/tmp/a b/it's \"q\" $(x).zyb"}},
        {"/tmp/x/line\nbreak.zyb\n", {"/tmp/x/line\nbreak.zyb"}},
        {"/tmp/x/one.zyb\n/tmp/x/two.zyb\n", {"/tmp/x/one.zyb\n/tmp/x/two.zyb"}},
        {"/tmp/x/-rf.zyb\n", {"/tmp/x/-rf.zyb"}},
        {"/tmp/x/\xff\xfe.zyb\n", {"/tmp/x/\xff\xfe.zyb"}},
        {"/tmp/x/no newline.zyb", {"/tmp/x/no newline.zyb"}},
        {"", {}},
        {"\n", {}},
        {"-rf.zyb\n", {}},  // not absolute: no file a dialog chose
    };
    for (const auto& [printed, expected] : cases) {
        desktop.dialog("zenity", printed);
        EXPECT_EQ(answer(make(CNewFileSelector::kSelectFile)), expected) << printed;
    }
}

TEST_F(FileSelectorTest, ACancelledFailedOrKilledDialogChoosesNothing)
{
    const char* endings[] = {"exit 1", "exit 255", "kill -KILL $$", "kill -SEGV $$"};
    for (const char* ending : endings) {
        desktop.script("zenity", std::string("echo /tmp/x/chosen.zyb\n") + ending);
        CNewFileSelector* s = make(CNewFileSelector::kSelectFile);
        EXPECT_EQ(answer(s), Files{}) << ending;
        EXPECT_EQ(s->shownBy(), Shown::Zenity);
    }
}

TEST_F(FileSelectorTest, KDialogStandsInForAMissingZenity)
{
    desktop.dialog("kdialog", "/home/user/banks/Other\n");
    CNewFileSelector* s = make(CNewFileSelector::kSelectSaveFile);
    EXPECT_EQ(answer(s), Files{"/home/user/banks/Other.zyb"});
    EXPECT_EQ(s->shownBy(), Shown::KDialog);
    EXPECT_EQ(desktop.read("kdialog.args"), "--title=Load bank\n--getsavefilename\n--\n/home/user/banks/Live.zyb\n"
                                            "*.zyb|ZYM Bank\n*|All files\n--end\n");
}

TEST_F(FileSelectorTest, WithoutAnyDialogTheWindowSaysWhatToInstall)
{
    FrameHolder frame(CRect(0, 0, 782, 187));
    CNewFileSelector* s = make(CNewFileSelector::kSelectFile, frame.frame);
    EXPECT_EQ(answer(s), Files{});
    EXPECT_EQ(s->shownBy(), Shown::Message);
    auto* box = dynamic_cast<CAlertBox*>(frame->getModalView());
    ASSERT_NE(box, nullptr);
    for (const char* program : {"zenity", "kdialog"})
        EXPECT_NE(box->getText().find(program), std::string::npos) << box->getText();
    frame->getOffscreenSurface();  // it draws
    click(frame.frame, 400, 100);
    EXPECT_EQ(frame->getModalView(), nullptr) << "a click closes it";

    // Without a window there is only the empty answer.
    EXPECT_EQ(answer(make(CNewFileSelector::kSelectFile)), Files{});
}

// Cancelling or releasing the selector ends the dialog with everything it
// started; its answer never comes.
TEST_F(FileSelectorTest, CancellingOrReleasingEndsTheDialogAndItsHelpers)
{
    desktop.script("zenity", "echo $$ > '" + desktop.file("pid") + "'\n/bin/sleep 30 &\necho $! > '" +
                                 desktop.file("helper") + "'\nwait");
    for (bool release : {false, true}) {
        std::remove(desktop.file("pid").c_str());
        std::remove(desktop.file("helper").c_str());
        CNewFileSelector* s = CNewFileSelector::create(nullptr, CNewFileSelector::kSelectFile);
        ASSERT_TRUE(s->run([](const Files&) { ADD_FAILURE() << "answered after it ended"; }));
        const pid_t dialog = pidIn(desktop, "pid"), helper = pidIn(desktop, "helper");
        ASSERT_TRUE(dialog > 0 && helper > 0);
        EXPECT_TRUE(s->poll());
        EXPECT_FALSE(s->run([](const Files&) { ADD_FAILURE() << "a second dialog"; })) << "one at a time";
        if (release) {
            s->forget();
        } else {
            s->cancel();
            EXPECT_FALSE(s->isRunning());
            EXPECT_FALSE(s->poll());
            s->forget();
        }
        EXPECT_TRUE(gone(dialog)) << "ended and reaped";
        EXPECT_TRUE(eventually([&] { return notRunning(helper); }));
    }
}

