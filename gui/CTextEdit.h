// A text field edited in place. A left click starts editing (the field takes
// the frame's keyboard focus); typing inserts at the caret, Backspace and
// Delete remove, Left/Right/Home/End move. Enter, or a click elsewhere,
// commits and tells the listener; Escape restores the text as it was.
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

    void draw(CDrawContext* context) override;
    CMouseEventResult onMouseDown(CPoint& where, const long& buttons) override;
    long onKeyDown(CKeyCode& keyCode) override;
    void takeFocus() override;
    void looseFocus() override;

    CLASS_METHODS(CTextEdit, CParamDisplay)

protected:
    std::string text;
    std::string editText; // the text being typed while editing
    size_t caret = 0;     // byte offset into editText, on a character boundary
    bool editing = false;
};
