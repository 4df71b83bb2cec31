// The preset strip in the open window (off-screen): choosing, stepping and
// renaming programs, the user-wide default bank and the memories in the
// preferences. The desktop's programs are StripDesktopTest's.
#include <unistd.h>

#include <cmath>
#include <cstring>
#include <vector>

#include <gtest/gtest.h>

#include "editor/ADEditor.h"
#include "plugin/Sylvatone.h"
#include "gui/CMenuItem.h"
#include "gui/COptionMenu.h"
#include "gui/CTextEdit.h"
#include "presets/CMemoryMark.h"
#include "tests/gui/DesktopStandIns.h"
#include "tests/gui/GuiTestSupport.h"

namespace fs = std::filesystem;
using guitest::click;

namespace {

struct PresetStrip : ::testing::Test {
    void SetUp() override
    {
        setenv("XDG_CONFIG_HOME", config.c_str(), 1);
        fx = new Sylvatone(nullptr);
        editor = new ADEditor(fx);  // owned by fx
        ASSERT_TRUE(editor->open(nullptr));
        frame = editor->getFrame();
    }
    void TearDown() override
    {
        delete fx;
        fs::remove_all(config);
    }
    bool stored(const char* key) { return fs::exists(config / "net.zym-audio.sylvatone" / key); }
    CTextEdit* nameField() { return static_cast<CTextEdit*>(frame->getViewAt(CPoint(230, 178))); }
    std::string shownName() { return nameField()->getText(); }
    COptionMenu* menu() { return static_cast<COptionMenu*>(frame->getViewAt(CPoint(299, 178))); }

    const fs::path config = fs::temp_directory_path() / ("strip-" + std::to_string(getpid()));
    Sylvatone* fx = nullptr;
    ADEditor* editor = nullptr;
    CFrame* frame = nullptr;
};

}  // namespace

TEST_F(PresetStrip, TheRockerAndTheMenuChooseAndTheNameFieldRenames)
{
    click(frame, 340, 178); // right half
    EXPECT_EQ(fx->getPresetNo(), 1);
    EXPECT_EQ(shownName(), "C-bass Pick-up");
    EXPECT_EQ(menu()->getCurrentIndex(), 1);
    click(frame, 316, 178);
    click(frame, 316, 178); // at program 0 it stays there
    EXPECT_EQ(fx->getPresetNo(), 0);
    for (int i = 0; i < 8; ++i)
        click(frame, 340, 178);
    EXPECT_EQ(fx->getPresetNo(), 5);
    EXPECT_EQ(fx->getParameter(kParamHmQ), 1.0f); // Finish's values applied

    // The menu chooses; the name field renames within thirty characters.
    menu()->setValue(4.0f);
    editor->valueChanged(menu());
    EXPECT_EQ(fx->getPresetNo(), 4);
    EXPECT_EQ(shownName(), "Round");

    nameField()->setText("A thirty character long name!!");
    editor->valueChanged(nameField());
    EXPECT_EQ(shownName(), "A thirty character long ");
    EXPECT_STREQ(menu()->getEntry(4)->getTitle(), "A thirty character long ");
    char stored[32];
    fx->getProgramName(stored);
    EXPECT_STREQ(stored, "A thirty character long");
}

TEST_F(PresetStrip, DefaultBankNeedsADoubleClickAndMemoriesAreKeptInThePreferences)
{
    click(frame, 50, 178); // a single click does nothing
    EXPECT_FALSE(stored("DefaultBank"));
    fx->setPresetNo(2);
    fx->setParameter(kParamLfGain, 0.9f);
    click(frame, 50, 178, kLButton | kDoubleClick);
    EXPECT_TRUE(stored("DefaultBank"));
    Sylvatone next(nullptr);
    EXPECT_EQ(next.program(2).params[kParamLfGain], 0.9f);

    click(frame, 50, 178, kLButton | kDoubleClick | kControl); // removes it
    EXPECT_FALSE(stored("DefaultBank"));

    // Memories A and B are stored and recalled; a recall button's lamp
    // shows whether its memory holds a program.
    auto* markA = dynamic_cast<CMemoryMark*>(frame->getViewAt(CPoint(384, 173)));
    ASSERT_NE(markA, nullptr);
    EXPECT_FALSE(markA->isLit());
    fx->setParameter(kParamHfGain, 0.8f);
    click(frame, 358, 178); // store A
    EXPECT_TRUE(markA->isLit());
    fx->setParameter(kParamHfGain, 0.1f);
    click(frame, 401, 178); // store B
    click(frame, 380, 178); // recall A
    EXPECT_EQ(fx->getParameter(kParamHfGain), 0.8f);
    click(frame, 423, 178); // recall B
    EXPECT_EQ(fx->getParameter(kParamHfGain), 0.1f);
    EXPECT_TRUE(stored("MemoAPreset") && stored("MemoBPreset"));
}

// A state the host restores retitles the menu and shows the program it
// selects; a refused one leaves the window, the programs and the selection.
TEST_F(PresetStrip, TheWindowFollowsARestoredStateButNotARefusedOne)
{
    Sylvatone saved(nullptr);
    saved.setPresetNo(4);
    saved.setPresetName("Restored four");
    void* data = nullptr;
    const int32_t size = saved.getChunk(&data, false);
    ASSERT_GT(size, 0);
    std::vector<char> chunk(static_cast<char*>(data), static_cast<char*>(data) + size);
    // A NaN as program 5's first value: the header, five programs, a name block, then the value.
    std::vector<char> refused = chunk;
    const size_t program = size_t(size - 8 - 41) / 6, value = 8 + 41 + 5 * program + 168 + 24;
    const float nan = std::nanf("");
    memcpy(&refused[value], &nan, 4);

    click(frame, 340, 178);
    click(frame, 340, 178);  // program 2, "Piano"
    std::vector<ProgramRecord> before;
    for (int p = 0; p < kNumPrograms; ++p)
        before.push_back(fx->program(p));
    EXPECT_EQ(fx->setChunk(refused.data(), size, false), -1);
    EXPECT_EQ(fx->getPresetNo(), 2);
    for (int p = 0; p < kNumPrograms; ++p)
        EXPECT_EQ(memcmp(&before[size_t(p)], &fx->program(p), sizeof(ProgramRecord)), 0) << p;
    EXPECT_EQ(shownName(), "Piano");
    EXPECT_EQ(menu()->getCurrentIndex(), 2);
    EXPECT_STREQ(menu()->getEntry(4)->getTitle(), "Round");

    EXPECT_EQ(fx->setChunk(chunk.data(), size, false), 0);
    EXPECT_EQ(fx->getPresetNo(), 4);
    EXPECT_EQ(shownName(), "Restored four");
    EXPECT_EQ(menu()->getCurrentIndex(), 4);
    EXPECT_STREQ(menu()->getEntry(4)->getTitle(), "Restored four");
}

namespace {

std::vector<int32_t> gEdits;

intptr_t gestureHost(AEffect*, int32_t opcode, int32_t index, intptr_t, void*, float)
{
    if (opcode == audioMasterVersion)
        return 2400;
    if (opcode == audioMasterBeginEdit || opcode == audioMasterEndEdit || opcode == audioMasterAutomate)
        gEdits.push_back(index);
    return 0;
}

}  // namespace

// The host knows 42 parameters: the strip's own controls never reach it as
// gestures or automation, whatever the user does with them.
TEST_F(PresetStrip, OnlyParametersReachTheHostAsGestures)
{
    // Stand-ins for the desktop: every dialog is cancelled, the viewer opens.
    guitest::StandInDesktop desktop;
    for (const char* name : {"zenity", "kdialog", "xdg-open"})
        desktop.script(name, name[0] == 'x' ? "exit 0" : "exit 1");

    gEdits.clear();
    AudioEffect* host = createEffectInstance(gestureHost);
    ASSERT_NE(host, nullptr);
    auto* ed = static_cast<ADEditor*>(host->getEditor());
    ASSERT_TRUE(ed->open(nullptr));
    CFrame* f = ed->getFrame();

    // Name field: click in, type, click elsewhere.
    click(f, 230, 178);
    CKeyCode k{'x', 0, 0};
    f->onKeyDown(k);
    click(f, 500, 100);
    // Program menu: open it and choose from the list.
    click(f, 299, 178);
    if (CView* list = f->getModalView()) {
        const CRect r = list->getViewSize();
        click(f, r.left + 5, r.bottom - 5);
    }
    // Every button of the strip, with the plain, right, double and
    // Ctrl-double clicks it knows.
    const CPoint buttons[] = {{316, 178}, {340, 178}, {76, 178}, {26, 178}, {50, 178}, {156, 178}, {97, 178},
                              {126, 178}, {380, 178}, {358, 178}, {423, 178}, {401, 178}, {750, 178}};
    for (const CPoint& b : buttons)
        for (long how : {long(kLButton), long(kRButton), long(kLButton | kDoubleClick),
                         long(kLButton | kDoubleClick | kControl)})
            click(f, b.x, b.y, how);

    EXPECT_FALSE(gEdits.empty());  // choosing programs tells the host
    for (int32_t index : gEdits)
        EXPECT_TRUE(index >= 0 && index < kNumParams) << index;
    AEffect* record = host->getAeffect();
    record->dispatcher(record, effClose, 0, 0, nullptr, 0.0f);
}
