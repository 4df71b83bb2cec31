// Controls driven by synthetic mouse and key events: their values, what the
// listener hears and the gestures the editor is told about.
#include <gtest/gtest.h>

#include "GuiTestSupport.h"
#include "gui/CHorizontalSwitch.h"
#include "gui/CKickButton.h"
#include "gui/CKnob.h"
#include "gui/COnOffButton.h"
#include "gui/COptionMenu.h"
#include "gui/CParamDisplay.h"
#include "gui/CRockerSwitch.h"
#include "gui/CSplashScreen.h"
#include "gui/CTextEdit.h"

using namespace guitest;

namespace {
using Values = std::vector<float>;
using Edits = std::vector<std::string>;

class ControlsTest : public ::testing::Test {
protected:
    RecordingEditor editor;
    RecordingListener listener;
    FrameHolder frame{CRect(0, 0, 200, 100), &editor};
};

void toDecibels(float value, char* text)
{
    std::snprintf(text, 256, "%+.1f dB", value * 30 - 15);
}
} // namespace

TEST_F(ControlsTest, HorizontalSwitchTakesThePositionUnderThePointer)
{
    auto* sw = new CHorizontalSwitch(CRect(0, 0, 100, 10), &listener, 13, 5, 10, 5, nullptr);
    frame->addView(sw);

    mouseDown(frame.frame, 51, 5); // middle fifth
    EXPECT_FLOAT_EQ(sw->getValue(), 0.5f);
    mouseMoved(frame.frame, 99, 5);
    EXPECT_FLOAT_EQ(sw->getValue(), 1.f);
    mouseMoved(frame.frame, 95, 5); // same position: no news
    mouseMoved(frame.frame, -30, 5);
    EXPECT_FLOAT_EQ(sw->getValue(), 0.f);
    mouseUp(frame.frame, -30, 5);
    EXPECT_EQ(listener.values, (Values{0.5f, 1.f, 0.f}));
    EXPECT_EQ(editor.edits, (Edits{"begin 13", "end 13"}));

    click(frame.frame, 21, 5);
    EXPECT_FLOAT_EQ(sw->getValue(), 0.25f);
    click(frame.frame, 19, 5, kRButton);
    EXPECT_FLOAT_EQ(sw->getValue(), 0.25f);
}

TEST_F(ControlsTest, KickButtonIsOnWhilePressedOverItAndReportsOnRelease)
{
    auto* kick = new CKickButton(CRect(0, 0, 20, 20), &listener, 107, 20, nullptr);
    frame->addView(kick);

    mouseDown(frame.frame, 10, 10);
    EXPECT_FLOAT_EQ(kick->getValue(), 1.f);
    EXPECT_TRUE(listener.values.empty());
    mouseMoved(frame.frame, 50, 10);
    EXPECT_FLOAT_EQ(kick->getValue(), 0.f);
    mouseMoved(frame.frame, 12, 12);
    EXPECT_FLOAT_EQ(kick->getValue(), 1.f);
    mouseUp(frame.frame, 12, 12);
    EXPECT_FLOAT_EQ(kick->getValue(), 0.f);
    EXPECT_EQ(listener.values, (Values{1.f, 0.f}));
    EXPECT_EQ(editor.edits, (Edits{"begin 107", "end 107"}));

    // Released away from the button: only the return to rest is reported.
    listener.values.clear();
    mouseDown(frame.frame, 10, 10);
    mouseMoved(frame.frame, 50, 10);
    mouseUp(frame.frame, 50, 10);
    EXPECT_EQ(listener.values, (Values{0.f}));
}

TEST_F(ControlsTest, RockerSwitchGivesMinusOrPlusOneWhilePressedThenZero)
{
    auto* rocker = new CRockerSwitch(CRect(0, 0, 30, 14), &listener, 93, 14, nullptr);
    frame->addView(rocker);
    EXPECT_FLOAT_EQ(rocker->getValue(), 0.f);

    mouseDown(frame.frame, 5, 7);
    EXPECT_FLOAT_EQ(rocker->getValue(), -1.f);
    mouseUp(frame.frame, 5, 7);
    EXPECT_FLOAT_EQ(rocker->getValue(), 0.f);
    mouseDown(frame.frame, 25, 7);
    EXPECT_FLOAT_EQ(rocker->getValue(), 1.f);
    mouseUp(frame.frame, 25, 7);
    EXPECT_EQ(listener.values, (Values{-1.f, 0.f, 1.f, 0.f}));
    EXPECT_EQ(editor.edits, (Edits{"begin 93", "end 93", "begin 93", "end 93"}));
}

TEST_F(ControlsTest, OnOffButtonTogglesOnLeftClickOnly)
{
    auto* button = new COnOffButton(CRect(0, 0, 20, 20), &listener, 7, nullptr);
    frame->addView(button);
    click(frame.frame, 5, 5);
    click(frame.frame, 5, 5, kRButton);
    EXPECT_FLOAT_EQ(button->getValue(), 1.f);
    click(frame.frame, 5, 5, kLButton | kShift);
    EXPECT_FLOAT_EQ(button->getValue(), 0.f);
    EXPECT_EQ(listener.values, (Values{1.f, 0.f}));
    EXPECT_EQ(editor.edits, (Edits{"begin 7", "end 7", "begin 7", "end 7"}));
}

TEST_F(ControlsTest, KnobFollowsTheEditorsModeAndBracketsEachGesture)
{
    auto* knob = new CKnob(CRect(0, 0, 40, 40), &listener, 15, nullptr);
    knob->setDefaultValue(0.25f);
    frame->addView(knob);

    // Circular: the value follows the pointer's angle, top centre is half way.
    mouseDown(frame.frame, 20, 1);
    EXPECT_NEAR(knob->getValue(), 0.5f, 1e-6);
    mouseMoved(frame.frame, 39, 20); // three o'clock
    EXPECT_NEAR(knob->getValue(), 5.f / 6.f, 1e-6);
    mouseUp(frame.frame, 39, 20);
    EXPECT_EQ(editor.edits, (Edits{"begin 15", "end 15"}));

    // Linear: 200 pixels of upward or rightward travel cross the range.
    editor.knobMode = kLinearMode;
    knob->setValue(0.2f);
    mouseDown(frame.frame, 20, 20);
    EXPECT_FLOAT_EQ(knob->getValue(), 0.2f);
    mouseMoved(frame.frame, 20, -80);
    EXPECT_NEAR(knob->getValue(), 0.7f, 1e-6);
    mouseMoved(frame.frame, 60, -80);
    EXPECT_NEAR(knob->getValue(), 0.9f, 1e-6);
    mouseMoved(frame.frame, 60, -180); // clamped at the top
    EXPECT_FLOAT_EQ(knob->getValue(), 1.f);
    // Holding Shift re-anchors at a finer rate without a jump.
    mouseMoved(frame.frame, 60, -180, kLButton | kShift);
    mouseMoved(frame.frame, 60, -80, kLButton | kShift);
    EXPECT_NEAR(knob->getValue(), 0.95f, 1e-6);
    mouseUp(frame.frame, 60, -80);

    // Ctrl-click restores the default, as one complete gesture.
    editor.edits.clear();
    listener.values.clear();
    mouseDown(frame.frame, 20, 20, kLButton | kControl);
    EXPECT_FLOAT_EQ(knob->getValue(), 0.25f);
    EXPECT_EQ(listener.values, (Values{0.25f}));
    EXPECT_EQ(editor.edits, (Edits{"begin 15", "end 15"}));

    // The wheel steps by the wheel increment and stays within range.
    listener.values.clear();
    knob->setWheelInc(0.5f);
    frame->onWheel(CPoint(20, 20), 1.f, 0);
    EXPECT_FLOAT_EQ(knob->getValue(), 0.75f);
    frame->onWheel(CPoint(20, 20), 1.f, 0);
    frame->onWheel(CPoint(20, 20), 1.f, 0);
    EXPECT_FLOAT_EQ(knob->getValue(), 1.f);
    EXPECT_EQ(listener.values, (Values{0.75f, 1.f}));

    click(frame.frame, 20, 20, kRButton);
    EXPECT_FLOAT_EQ(knob->getValue(), 1.f);
}

TEST_F(ControlsTest, SplashScreenOpensAModalPictureThatAClickCloses)
{
    auto* splash =
        new CSplashScreen(CRect(10, 10, 30, 20), &listener, 61, nullptr, CRect(0, 0, 200, 100));
    frame->addView(splash);

    click(frame.frame, 15, 15);
    EXPECT_FLOAT_EQ(splash->getValue(), 1.f);
    ASSERT_NE(frame->getModalView(), nullptr);
    EXPECT_EQ(listener.values, (Values{1.f}));

    click(frame.frame, 150, 80, kRButton); // other buttons do nothing
    EXPECT_NE(frame->getModalView(), nullptr);
    click(frame.frame, 150, 80);
    EXPECT_EQ(frame->getModalView(), nullptr);
    EXPECT_FLOAT_EQ(splash->getValue(), 0.f);

    click(frame.frame, 15, 15);
    EXPECT_NE(frame->getModalView(), nullptr);
    // Closing the frame with the picture open releases both.
}

TEST_F(ControlsTest, ParamDisplayDrawsTheConvertersText)
{
    frame->setBackgroundColor(CColor(0, 0, 0));
    auto* display = new CParamDisplay(CRect(0, 0, 100, 20), nullptr, kNoFrame);
    display->setBackColor(CColor(0, 0, 0));
    display->setFontColor(CColor(255, 255, 255));
    display->setStringConvert(toDecibels);
    display->setValue(0.75f);
    frame->addView(display);

    char text[256];
    display->getDisplayText(text);
    EXPECT_STREQ(text, "+7.5 dB");

    auto litPixels = [&] {
        cairo_surface_t* s = frame->getOffscreenSurface();
        int lit = 0;
        for (int y = 0; y < 20; ++y)
            for (int x = 0; x < 100; ++x)
                lit += pixelAt(s, x, y) != rgb(0, 0, 0);
        return lit;
    };
    EXPECT_GT(litPixels(), 20);
    display->setStyle(kNoFrame | kNoTextStyle);
    display->setDirty(true);
    EXPECT_EQ(litPixels(), 0);
}

TEST_F(ControlsTest, TextEditTypesCommitsOnEnterAndCancelsOnEscape)
{
    auto* edit = new CTextEdit(CRect(0, 0, 100, 20), &listener, 92, "Piano");
    frame->addView(edit);

    auto type = [&](VstKeyCode k) { return frame->onKeyDown(k); };
    EXPECT_EQ(type(key('x')), -1); // not editing yet
    click(frame.frame, 10, 10);
    ASSERT_TRUE(edit->isEditing());
    EXPECT_EQ(type(key(0, VKEY_BACK)), 1);
    type(key('O'));
    type(key(0, VKEY_LEFT));
    type(key(0, VKEY_LEFT));
    type(key(0xe9)); // é, stored as UTF-8
    type(key(0, VKEY_DELETE));
    type(key(0, VKEY_HOME));
    type(key(' ', VKEY_SPACE));
    EXPECT_STREQ(edit->getText(), "Piano"); // unchanged until committed
    EXPECT_TRUE(listener.values.empty());
    type(key(0, VKEY_RETURN));
    EXPECT_FALSE(edit->isEditing());
    EXPECT_STREQ(edit->getText(), " Pia\xc3\xa9O");
    EXPECT_EQ(listener.tags, (std::vector<long>{92}));

    click(frame.frame, 10, 10);
    type(key('z'));
    type(key(0, VKEY_ESCAPE));
    EXPECT_STREQ(edit->getText(), " Pia\xc3\xa9O");
    EXPECT_EQ(listener.tags.size(), 1u);

    // A click elsewhere commits too.
    click(frame.frame, 10, 10);
    type(key(0, VKEY_BACK));
    click(frame.frame, 150, 50);
    EXPECT_FALSE(edit->isEditing());
    EXPECT_STREQ(edit->getText(), " Pia\xc3\xa9");
    EXPECT_EQ(listener.tags.size(), 2u);
}

TEST_F(ControlsTest, OptionMenuPopUpChoosesAnEntryOrClosesWithNothing)
{
    auto* menu = new COptionMenu(CRect(10, 10, 30, 24), &listener, 104);
    for (const char* name : {"Default", "Bass", "Piano", "Mild", "Round"})
        menu->addEntry(name);
    menu->setCurrent(2);
    menu->setNbItemsPerColumn(2);
    frame->addView(menu);
    EXPECT_FLOAT_EQ(menu->getValue(), 2.f);
    EXPECT_STREQ(menu->getEntry(1)->getTitle(), "Bass");

    click(frame.frame, 15, 15);
    CView* list = frame->getModalView();
    ASSERT_NE(list, nullptr);
    ASSERT_TRUE(menu->isPopupOpen());
    // Five entries, two per column: three columns of two rows.
    const CRect area = list->getViewSize();
    const double column = area.getWidth() / 3, row = area.getHeight() / 2;
    EXPECT_GE(area.left, 0);
    EXPECT_LE(area.right, 200);
    EXPECT_LE(area.bottom, 100);

    // Second column, second row: entry 3.
    click(frame.frame, area.left + column * 1.5, area.top + row * 1.5);
    EXPECT_EQ(frame->getModalView(), nullptr);
    EXPECT_EQ(menu->getCurrentIndex(), 3);
    EXPECT_FLOAT_EQ(menu->getValue(), 3.f);
    EXPECT_EQ(listener.values, (Values{3.f}));
    EXPECT_EQ(editor.edits, (Edits{"begin 104", "end 104"}));

    // Outside the list: closed, nothing chosen. The empty slot in the last
    // column counts as outside too.
    click(frame.frame, 15, 15);
    click(frame.frame, 199, 99);
    EXPECT_EQ(frame->getModalView(), nullptr);
    click(frame.frame, 15, 15);
    const CRect again = frame->getModalView()->getViewSize();
    click(frame.frame, again.left + column * 2.5, again.top + row * 1.5);
    EXPECT_EQ(frame->getModalView(), nullptr);
    click(frame.frame, 15, 15);
    VstKeyCode escape = key(0, VKEY_ESCAPE);
    frame->onKeyDown(escape);
    EXPECT_EQ(frame->getModalView(), nullptr);
    EXPECT_EQ(menu->getCurrentIndex(), 3);
    EXPECT_EQ(listener.values.size(), 1u);

    // Closing the frame with the list open releases both.
    click(frame.frame, 15, 15);
    EXPECT_TRUE(menu->isPopupOpen());
}
