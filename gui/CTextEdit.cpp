#include "gui/CTextEdit.h"

#include <cmath>

#include "gui/CFrame.h"

namespace {
bool isContinuationByte(char c)
{
    return (static_cast<unsigned char>(c) & 0xc0) == 0x80;
}

size_t previousBoundary(const std::string& s, size_t pos)
{
    if (pos == 0)
        return 0;
    --pos;
    while (pos > 0 && isContinuationByte(s[pos]))
        --pos;
    return pos;
}

size_t nextBoundary(const std::string& s, size_t pos)
{
    if (pos >= s.size())
        return s.size();
    ++pos;
    while (pos < s.size() && isContinuationByte(s[pos]))
        ++pos;
    return pos;
}

std::string utf8(int32_t cp)
{
    std::string out;
    const auto u = static_cast<uint32_t>(cp);
    if (u < 0x80) {
        out += static_cast<char>(u);
    } else if (u < 0x800) {
        out += static_cast<char>(0xc0 | (u >> 6));
        out += static_cast<char>(0x80 | (u & 0x3f));
    } else if (u < 0x10000) {
        out += static_cast<char>(0xe0 | (u >> 12));
        out += static_cast<char>(0x80 | ((u >> 6) & 0x3f));
        out += static_cast<char>(0x80 | (u & 0x3f));
    } else if (u < 0x110000) {
        out += static_cast<char>(0xf0 | (u >> 18));
        out += static_cast<char>(0x80 | ((u >> 12) & 0x3f));
        out += static_cast<char>(0x80 | ((u >> 6) & 0x3f));
        out += static_cast<char>(0x80 | (u & 0x3f));
    }
    return out;
}
} // namespace

CTextEdit::CTextEdit(const CRect& size, CControlListener* listener, long tag, const char* txt,
                     CBitmap* background, long style)
    : CParamDisplay(size, background, style), text(txt ? txt : "")
{
    this->listener = listener;
    this->tag = tag;
}

void CTextEdit::setText(const char* txt)
{
    const std::string newText = txt ? txt : "";
    if (newText == text)
        return;
    text = newText;
    setDirty(true);
}

void CTextEdit::draw(CDrawContext* context)
{
    if (!(style & kNoDrawStyle)) {
        drawBack(context, pBackground);
        const std::string& shown = editing ? editText : text;
        if (!(style & kNoTextStyle))
            drawText(context, shown.c_str());
        if (editing) {
            context->setFont(font);
            const CCoord full = context->getStringWidth(shown.c_str());
            const CCoord before = context->getStringWidth(shown.substr(0, caret).c_str());
            CCoord x = size.left + 1;
            if (horiTxtAlign == kCenterText)
                x = size.left + (size.getWidth() - full) / 2;
            else if (horiTxtAlign == kRightText)
                x = size.right - full - 1;
            x = std::round(x + before);
            context->setFrameColor(fontColor);
            context->setLineWidth(1);
            context->drawLine(CPoint(x, size.top + 2), CPoint(x, size.bottom - 3));
        }
    }
    setDirty(false);
}

CMouseEventResult CTextEdit::onMouseDown(CPoint&, const long& buttons)
{
    if (!(buttons & kLButton))
        return kMouseEventNotHandled;
    if (!editing && pParentFrame)
        pParentFrame->setFocusView(this);
    return kMouseDownEventHandledButDontNeedMovedOrUpEvents;
}

void CTextEdit::takeFocus()
{
    editing = true;
    editText = text;
    caret = editText.size();
    setDirty(true);
}

void CTextEdit::looseFocus()
{
    if (!editing)
        return;
    editing = false;
    text = editText;
    setDirty(true);
    beginEdit();
    valueChanged();
    endEdit();
}

long CTextEdit::onKeyDown(CKeyCode& key)
{
    if (!editing)
        return -1;
    switch (key.virt) {
    case kVKeyReturn:
    case kVKeyEnter:
        if (pParentFrame && pParentFrame->getFocusView() == this)
            pParentFrame->setFocusView(nullptr);
        else
            looseFocus();
        return 1;
    case kVKeyEscape:
        editing = false;
        setDirty(true);
        if (pParentFrame && pParentFrame->getFocusView() == this)
            pParentFrame->setFocusView(nullptr);
        return 1;
    case kVKeyBack:
        if (caret > 0) {
            const size_t from = previousBoundary(editText, caret);
            editText.erase(from, caret - from);
            caret = from;
        }
        break;
    case kVKeyDelete:
        editText.erase(caret, nextBoundary(editText, caret) - caret);
        break;
    case kVKeyLeft: caret = previousBoundary(editText, caret); break;
    case kVKeyRight: caret = nextBoundary(editText, caret); break;
    case kVKeyHome: caret = 0; break;
    case kVKeyEnd: caret = editText.size(); break;
    default:
        if (key.character < 0x20 || key.character == 0x7f ||
            (key.modifier & (kModifierControl | kModifierCommand)))
            return -1;
        {
            const std::string s = utf8(key.character);
            editText.insert(caret, s);
            caret += s.size();
        }
        break;
    }
    setDirty(true);
    return 1;
}
