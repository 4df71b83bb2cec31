// The preset strip in the open window (off-screen): choosing, stepping and
// renaming programs, the user-wide default bank and the memories in the
// preferences, and the manual with its alert.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include <gtest/gtest.h>

#include "editor/ADEditor.h"
#include "engine/Sylvatone.h"
#include "gui/CFrame.h"
#include "gui/CMenuItem.h"
#include "gui/COptionMenu.h"
#include "gui/CTextEdit.h"

namespace fs = std::filesystem;

namespace {

class PresetStrip : public ::testing::Test {
protected:
    void SetUp() override
    {
        config = fs::temp_directory_path() / ("strip-" + std::to_string(getpid()));
        fs::remove_all(config);
        setenv("XDG_CONFIG_HOME", config.c_str(), 1);
        fx = new Sylvatone(nullptr);
        editor = static_cast<ADEditor*>(fx->getEditor());
        ASSERT_TRUE(editor->open(nullptr));
        frame = editor->getFrame();
    }
    void TearDown() override
    {
        delete fx;
        fs::remove_all(config);
    }
    void click(CCoord x, CCoord y, long buttons = kLButton)
    {
        CPoint at(x, y);
        long none = 0;
        frame->onMouseDown(at, buttons);
        frame->onMouseUp(at, none);
    }
    bool stored(const char* key) { return fs::exists(config / "net.zym-audio.sylvatone" / key); }
    std::string shownName() { return static_cast<CTextEdit*>(frame->getViewAt(CPoint(230, 178)))->getText(); }
    COptionMenu* menu() { return static_cast<COptionMenu*>(frame->getViewAt(CPoint(299, 178))); }

    fs::path config;
    Sylvatone* fx = nullptr;
    ADEditor* editor = nullptr;
    CFrame* frame = nullptr;
};

}  // namespace

TEST_F(PresetStrip, TheRockerStepsThroughThePrograms)
{
    click(340, 178);  // right half
    EXPECT_EQ(fx->getPresetNo(), 1);
    EXPECT_EQ(shownName(), "C-bass Pick-up");
    EXPECT_EQ(menu()->getCurrentIndex(), 1);
    click(316, 178);
    click(316, 178);  // at program 0 it stays there
    EXPECT_EQ(fx->getPresetNo(), 0);
    for (int i = 0; i < 8; ++i)
        click(340, 178);
    EXPECT_EQ(fx->getPresetNo(), 5);
    EXPECT_EQ(fx->getParameter(kParamHmQ), 1.0f);  // Finish's values applied
}

TEST_F(PresetStrip, MenuAndNameField)
{
    COptionMenu* programs = menu();
    ASSERT_NE(programs, nullptr);
    programs->setValue(4.0f);
    editor->valueChanged(programs);
    EXPECT_EQ(fx->getPresetNo(), 4);
    EXPECT_EQ(shownName(), "Round");

    auto* field = static_cast<CTextEdit*>(frame->getViewAt(CPoint(230, 178)));
    field->setText("A thirty character long name!!");
    editor->valueChanged(field);
    EXPECT_EQ(shownName(), "A thirty character long ");
    EXPECT_STREQ(programs->getEntry(4)->getTitle(), "A thirty character long ");
    char stored[32];
    fx->getProgramName(stored);
    EXPECT_STREQ(stored, "A thirty character long");

    // A host renaming the program shows in the field and the menu.
    char hostName[] = "Upright";
    fx->setProgramName(hostName);
    EXPECT_EQ(shownName(), "Upright");
    EXPECT_STREQ(programs->getEntry(4)->getTitle(), "Upright");
}

TEST_F(PresetStrip, DefaultBankNeedsADoubleClick)
{
    click(50, 178);  // a single click does nothing
    EXPECT_FALSE(stored("DefaultBank"));
    click(50, 178, kLButton | kDoubleClick);
    EXPECT_TRUE(stored("DefaultBank"));

    // A new instance starts from the stored bank.
    fx->setPresetNo(2);
    fx->setParameter(kParamLfGain, 0.9f);
    click(50, 178, kLButton | kDoubleClick);
    Sylvatone next(nullptr);
    EXPECT_EQ(next.program(2).params[kParamLfGain], 0.9f);

    click(50, 178, kLButton | kDoubleClick | kControl);  // removes it
    EXPECT_FALSE(stored("DefaultBank"));
}

TEST_F(PresetStrip, MemoriesAAndB)
{
    fx->setParameter(kParamHfGain, 0.8f);
    click(358, 178);  // store A
    fx->setParameter(kParamHfGain, 0.1f);
    click(401, 178);  // store B
    click(380, 178);  // recall A
    EXPECT_EQ(fx->getParameter(kParamHfGain), 0.8f);
    click(423, 178);  // recall B
    EXPECT_EQ(fx->getParameter(kParamHfGain), 0.1f);
    EXPECT_TRUE(stored("MemoAPreset"));
    EXPECT_TRUE(stored("MemoBPreset"));
}

TEST_F(PresetStrip, AMissingManualGivesOneAlert)
{
    // Stand-ins for the desktop: the viewer fails, the dialog notes its call.
    const fs::path bin = config / "bin";
    fs::create_directories(bin);
    const fs::path log = config / "zenity.log";
    std::ofstream(bin / "xdg-open") << "#!/bin/sh\nexit 2\n";
    std::ofstream(bin / "zenity") << "#!/bin/sh\necho call >> '" << log.string() << ".calls'\necho \"$@\" >> '"
                                  << log.string() << "'\n";
    chmod((bin / "xdg-open").c_str(), 0755);
    chmod((bin / "zenity").c_str(), 0755);
    const std::string path = std::string(getenv("PATH"));
    setenv("PATH", (bin.string() + ":" + path).c_str(), 1);

    click(750, 178);
    setenv("PATH", path.c_str(), 1);
    std::ifstream calls(log.string() + ".calls"), in(log);
    std::string line, all;
    int shown = 0;
    while (std::getline(calls, line))
        ++shown;
    while (std::getline(in, line))
        all += line;
    EXPECT_EQ(shown, 1);
    EXPECT_NE(all.find("Could not open manual file:"), std::string::npos) << all;
    EXPECT_NE(all.find("ZYM sylvatone Manual.pdf"), std::string::npos) << all;
    EXPECT_EQ(frame->getModalView(), nullptr);  // the desktop showed it
    EXPECT_EQ(static_cast<CControl*>(frame->getViewAt(CPoint(750, 178)))->getValue(), 0.0f);
}
