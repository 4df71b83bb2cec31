// Controls driven by synthetic mouse and key events: their values, what the
// listener hears and the gestures the editor is told about.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

#include "GuiTestSupport.h"
#include "gui/CHorizontalSwitch.h"
#include "gui/COptionMenu.h"
#include "gui/CParamDisplay.h"
#include "gui/CTextEdit.h"

using namespace guitest;

namespace {
using Values = std::vector<float>;
using Edits = std::vector<std::string>;

struct ControlsTest : ::testing::Test {
    RecordingEditor editor;
    RecordingListener listener;
    FrameHolder frame{CRect(0, 0, 200, 100), &editor};
};
} // namespace

// Missing pictures leave a working frame: the background colour shows and
// the switch still works.
TEST_F(ControlsTest, HorizontalSwitchTakesThePositionUnderThePointerAsOneGesture)
{
    ResourceFolder folder; // empty
    frame->setBackgroundColor(CColor(0, 0, 90));
    CBitmap* missing[] = {new CBitmap(11500), new CBitmap(11562)};
    frame->setBackground(missing[0]);
    auto* sw = new CHorizontalSwitch(CRect(0, 0, 100, 10), &listener, 13, 5, 10, 5, missing[1]);
    frame->addView(sw);
    for (CBitmap* b : missing)
        b->forget();
    // x, value: the fifth under the pointer; the same fifth again is no news.
    const std::pair<double, float> steps[] = {{51, 0.5f}, {99, 1.f}, {95, 1.f}, {-30, 0.f}};
    mouseDown(frame.frame, 51, 5);
    for (const auto& [x, value] : steps) {
        mouseMoved(frame.frame, x, 5);
        EXPECT_FLOAT_EQ(sw->getValue(), value) << x;
    }
    mouseUp(frame.frame, -30, 5);
    EXPECT_EQ(listener.values, (Values{0.5f, 1.f, 0.f}));
    EXPECT_EQ(editor.edits, (Edits{"begin 13", "end 13"}));
    EXPECT_EQ(pixelAt(frame->getOffscreenSurface(), 150, 50), rgb(0, 0, 90));
}

TEST_F(ControlsTest, ParamDisplayDrawsTheConvertersText)
{
    frame->setBackgroundColor(CColor(0, 0, 0));
    auto* display = new CParamDisplay(CRect(0, 0, 100, 20), nullptr, kNoFrame);
    display->setBackColor(CColor(0, 0, 0));
    display->setStringConvert([](float value, char* text) { std::snprintf(text, 256, "%+.1f dB", value * 30 - 15); });
    display->setValue(0.75f);
    frame->addView(display);
    char text[256];
    display->getDisplayText(text);
    EXPECT_STREQ(text, "+7.5 dB");
    cairo_surface_t* s = frame->getOffscreenSurface();
    int lit = 0;
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 100; ++x)
            lit += pixelAt(s, x, y) != rgb(0, 0, 0);
    EXPECT_GT(lit, 20);
}

TEST_F(ControlsTest, TextEditTypesCommitsOnEnterAndCancelsOnEscape)
{
    auto* edit = new CTextEdit(CRect(0, 0, 100, 20), &listener, 92, "Piano");
    frame->addView(edit);
    auto type = [&](std::vector<CKeyCode> keys) {
        long handled = 1; // -1 if any key was not handled
        for (CKeyCode k : keys)
            handled = std::min(handled, frame->onKeyDown(k));
        return handled;
    };
    EXPECT_EQ(type({key('x')}), -1); // not editing yet
    click(frame.frame, 10, 10);
    ASSERT_TRUE(edit->isEditing());
    // é is stored as UTF-8.
    EXPECT_EQ(edit->getSelection(), "Piano");  // a click selects the whole text
    EXPECT_EQ(type({key(0, kVKeyEnd), key(0, kVKeyBack), key('O'), key(0, kVKeyLeft), key(0, kVKeyLeft), key(0xe9), key(0, kVKeyDelete),
                    key(0, kVKeyHome), key(' ', kVKeySpace)}), 1);
    EXPECT_STREQ(edit->getText(), "Piano"); // unchanged until committed
    EXPECT_TRUE(listener.values.empty());
    type({key(0, kVKeyReturn)});
    EXPECT_FALSE(edit->isEditing());
    EXPECT_STREQ(edit->getText(), " Pia\xc3\xa9O");
    EXPECT_EQ(listener.values.size(), 1u);

    click(frame.frame, 10, 10);
    type({key('z'), key(0, kVKeyEscape)});
    EXPECT_STREQ(edit->getText(), " Pia\xc3\xa9O");
    EXPECT_EQ(listener.values.size(), 1u);
}

// Selecting as text fields do, and a length limit that says no visibly.
TEST_F(ControlsTest, TextEditSelectsAndRefusesWhatDoesNotFit)
{
    auto* edit = new CTextEdit(CRect(0, 0, 100, 20), &listener, 92, "Upright bass");
    edit->setMaxLength(14);
    frame->addView(edit);
    auto type = [&](std::vector<CKeyCode> keys) {
        for (CKeyCode k : keys)
            frame->onKeyDown(k);
    };
    const unsigned char shift = kModifierShift, ctrl = kModifierControl;
    click(frame.frame, 10, 10);
    type({key('D')});  // typing replaces the selection
    EXPECT_EQ(edit->getSelection(), "");
    type({key('o'), key('u'), key('b'), key('l'), key('e'), key(0, kVKeyHome), CKeyCode{0, kVKeyRight, shift},
          CKeyCode{0, kVKeyRight, shift}});
    EXPECT_EQ(edit->getSelection(), "Do");
    type({key(0, kVKeyDelete)});
    type({CKeyCode{'a', 0, ctrl}});
    EXPECT_EQ(edit->getSelection(), "uble");
    type({key(0, kVKeyEnd), CKeyCode{0, kVKeyHome, shift}, key(0, kVKeyBack)});
    EXPECT_EQ(edit->getSelection(), "");
    // Up to the limit, and no further: the refusal shows until the next key.
    for (char c : std::string("Walking bass 2"))
        type({key(c)});
    EXPECT_FALSE(edit->showsRefusal());
    type({key('!')});
    EXPECT_TRUE(edit->showsRefusal());
    type({key(0, kVKeyLeft)});
    EXPECT_FALSE(edit->showsRefusal());
    type({key(0, kVKeyReturn)});
    EXPECT_STREQ(edit->getText(), "Walking bass 2");

    // A text wider than the field shows its start, as a left-aligned field
    // shows it, though this one centres what fits.
    auto* left = new CTextEdit(CRect(0, 30, 100, 50), &listener, 93, "");
    left->setHoriAlign(kLeftText);
    frame->addView(left);
    ASSERT_EQ(edit->getHoriAlign(), kCenterText);
    for (CTextEdit* e : {edit, left})
        e->setText("A name far too long for the field");
    cairo_surface_t* s = frame->getOffscreenSurface();
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 100; ++x)
            ASSERT_EQ(pixelAt(s, x, y), pixelAt(s, x, y + 30)) << x << "," << y;
}

TEST_F(ControlsTest, OptionMenuPopUpChoosesAnEntryOrClosesWithNothing)
{
    auto* menu = new COptionMenu(CRect(10, 10, 30, 24), &listener, 104);
    frame->addView(menu);
    for (const char* name : {"Default", "Bass", "Piano", "Mild", "Round"})
        menu->addEntry(name);
    menu->setCurrent(2);
    menu->setNbItemsPerColumn(2);

    click(frame.frame, 15, 15);
    ASSERT_TRUE(menu->isPopupOpen());
    // Five entries, two per column: three columns of two rows, on screen.
    const CRect area = frame->getModalView()->getViewSize();
    const double column = area.getWidth() / 3, row = area.getHeight() / 2;
    EXPECT_TRUE(area.left >= 0 && area.right <= 200 && area.bottom <= 100);
    // Second column, second row: entry 3.
    click(frame.frame, area.left + column * 1.5, area.top + row * 1.5);
    EXPECT_EQ(frame->getModalView(), nullptr);
    EXPECT_EQ(menu->getCurrentIndex(), 3);
    EXPECT_EQ(listener.values, (Values{3.f}));
    EXPECT_EQ(editor.edits, (Edits{"begin 104", "end 104"}));

    // Outside the list, on the empty slot in the last column, or Escape:
    // closed, nothing chosen.
    for (CPoint p : {CPoint(199, 99), CPoint(area.left + column * 2.5, area.top + row * 1.5)}) {
        click(frame.frame, 15, 15);
        ASSERT_TRUE(menu->isPopupOpen());
        click(frame.frame, p.x, p.y);
        EXPECT_EQ(frame->getModalView(), nullptr) << p.x;
    }
    click(frame.frame, 15, 15);
    ASSERT_TRUE(menu->isPopupOpen());
    CKeyCode escape = key(0, kVKeyEscape);
    frame->onKeyDown(escape);
    EXPECT_EQ(frame->getModalView(), nullptr);
    EXPECT_EQ(menu->getCurrentIndex(), 3);
    EXPECT_EQ(listener.values.size(), 1u);
    // Closing the frame with the list open releases both.
    click(frame.frame, 15, 15);
}
