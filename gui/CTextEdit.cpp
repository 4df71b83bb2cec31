#include "gui/CTextEdit.h"

#include <algorithm>
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
        context->setFont(font);
        const CCoord full = context->getStringWidth(shown.c_str());
        // A text wider than the field shows its start, whatever the alignment.
        const CHoriTxtAlign align = full > size.getWidth() - 2 ? kLeftText : horiTxtAlign;
        CCoord left = size.left + 1;
        if (align == kCenterText)
            left = size.left + (size.getWidth() - full) / 2;
        else if (align == kRightText)
            left = size.right - full - 1;
        auto xAt = [&](size_t byte) { return left + context->getStringWidth(shown.substr(0, byte).c_str()); };
        if (editing && anchor != caret) {
            const CColor ink = fontColor;
            context->setFillColor(CColor(ink.red, ink.green, ink.blue, 70));
            context->fillRect(CRect(std::round(xAt(std::min(anchor, caret))), size.top + 2,
                                    std::round(xAt(std::max(anchor, caret))), size.bottom - 2));
        }
        if (!(style & kNoTextStyle)) {
            const CHoriTxtAlign kept = horiTxtAlign;
            horiTxtAlign = align;
            drawText(context, shown.c_str());
            horiTxtAlign = kept;
        }
        if (editing) {
            const CCoord x = std::round(xAt(caret));
            context->setFrameColor(fontColor);
            context->setLineWidth(1);
            context->drawLine(CPoint(x, size.top + 2), CPoint(x, size.bottom - 3));
        }
        if (refused) {
            context->setFrameColor(CColor(200, 40, 30, 255));
            context->setLineWidth(2);
            context->drawRect(CRect(size.left + 1, size.top + 1, size.right - 1, size.bottom - 1));
        }
    }
    setDirty(false);
}

std::string CTextEdit::getSelection() const
{
    if (!editing || anchor == caret)
        return {};
    return editText.substr(std::min(anchor, caret), std::max(anchor, caret) - std::min(anchor, caret));
}

void CTextEdit::eraseSelection()
{
    const size_t from = std::min(anchor, caret), to = std::max(anchor, caret);
    editText.erase(from, to - from);
    caret = anchor = from;
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
    refused = false;
    editText = text;
    anchor = 0;
    caret = editText.size();
    setDirty(true);
}

void CTextEdit::looseFocus()
{
    if (!editing)
        return;
    editing = false;
    refused = false;
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
    const bool extend = key.modifier & kModifierShift;
    const bool command = key.modifier & (kModifierControl | kModifierCommand);
    refused = false;
    // Moves the caret; without Shift a selection collapses.
    auto move = [&](size_t to) {
        caret = to;
        if (!extend)
            anchor = caret;
    };
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
        if (anchor != caret)
            eraseSelection();
        else if (caret > 0) {
            const size_t from = previousBoundary(editText, caret);
            editText.erase(from, caret - from);
            caret = anchor = from;
        }
        break;
    case kVKeyDelete:
        if (anchor != caret)
            eraseSelection();
        else
            editText.erase(caret, nextBoundary(editText, caret) - caret);
        break;
    case kVKeyLeft:
        move(anchor != caret && !extend ? std::min(anchor, caret) : previousBoundary(editText, caret));
        break;
    case kVKeyRight:
        move(anchor != caret && !extend ? std::max(anchor, caret) : nextBoundary(editText, caret));
        break;
    case kVKeyHome: move(0); break;
    case kVKeyEnd: move(editText.size()); break;
    default:
        if (command && (key.character == 'a' || key.character == 'A')) {
            anchor = 0;
            caret = editText.size();
            break;
        }
        if (key.character < 0x20 || key.character == 0x7f || command)
            return -1;
        {
            const std::string s = utf8(key.character);
            const size_t selected = std::max(anchor, caret) - std::min(anchor, caret);
            if (maxLength && editText.size() - selected + s.size() > maxLength) {
                refused = true;
                break;
            }
            eraseSelection();
            editText.insert(caret, s);
            caret = anchor = caret + s.size();
        }
        break;
    }
    setDirty(true);
    return 1;
}
