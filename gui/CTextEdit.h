// A text field edited in place. A left click starts editing (the field takes
// the frame's keyboard focus) with the whole text selected; typing replaces
// the selection or inserts at the caret, Backspace and Delete remove,
// Left/Right/Home/End move, with Shift they extend the selection, Ctrl+A
// selects everything. Enter, or a click elsewhere, commits and tells the
// listener; Escape restores the text as it was. With a maximum length a
// character that would pass it is refused, and the field's frame shows the
// refusal until the next key. A text too long for the field shows its start.
#pragma once

#include <string>

#include "gui/CParamDisplay.h"

class CTextEdit : public CParamDisplay {
public:
    CTextEdit(const CRect& size, CControlListener* listener, long tag, const char* text = nullptr,
              CBitmap* background = nullptr, long style = 0);

    virtual void setText(const char* text);
    const char* getText() const { return text.c_str(); }
    bool isEditing() const { return editing; }
    // Longest text, in bytes (0: any length).
    void setMaxLength(size_t bytes) { maxLength = bytes; }
    // The selected bytes of the text being edited (empty when none).
    std::string getSelection() const;
    bool showsRefusal() const { return refused; }

    void draw(CDrawContext* context) override;
    CMouseEventResult onMouseDown(CPoint& where, const long& buttons) override;
    long onKeyDown(CKeyCode& keyCode) override;
    void takeFocus() override;
    void looseFocus() override;

    CLASS_METHODS(CTextEdit, CParamDisplay)

protected:
    void eraseSelection();

    std::string text;
    std::string editText; // the text being typed while editing
    size_t caret = 0;     // byte offset into editText, on a character boundary
    size_t anchor = 0;    // the selection's other end (= caret: none)
    size_t maxLength = 0;
    bool editing = false;
    bool refused = false; // the last character typed did not fit
};
