#include "gui/COptionMenu.h"

#include <algorithm>
#include <cmath>

#include "gui/CBitmap.h"
#include "gui/CDrawContext.h"
#include "gui/CFrame.h"

namespace {
const CCoord kItemPadding = 6;
const CCoord kMarkWidth = 14;
const CColor kListBack(244, 244, 244, 255);
const CColor kListHover(176, 196, 222, 255);
const CColor kListText(20, 20, 20, 255);
} // namespace

// The list of entries, laid out in columns, shown as the frame's modal view.
// It keeps its menu alive while it exists.
class COptionMenu::Popup : public CView {
public:
    Popup(COptionMenu* menu, const CRect& area, long perColumn, CCoord itemHeight,
          CCoord columnWidth)
        : CView(area),
          menu(menu),
          perColumn(perColumn),
          itemHeight(itemHeight),
          columnWidth(columnWidth)
    {
        menu->remember();
    }

    ~Popup() override
    {
        if (menu->popup == this)
            menu->popup = nullptr;
        menu->forget();
    }

    long indexAt(const CPoint& where) const
    {
        if (!size.pointInside(where))
            return -1;
        const long column = static_cast<long>((where.x - size.left) / columnWidth);
        const long row = static_cast<long>((where.y - size.top) / itemHeight);
        const long index = column * perColumn + row;
        return row < perColumn && index < menu->getNbEntries() ? index : -1;
    }

    CRect itemRect(long index) const
    {
        const long column = index / perColumn;
        const long row = index % perColumn;
        CRect r(0, 0, columnWidth, itemHeight);
        r.offset(size.left + column * columnWidth, size.top + row * itemHeight);
        return r;
    }

    void draw(CDrawContext* context) override
    {
        context->setFillColor(kListBack);
        context->setFrameColor(kListText);
        context->setLineWidth(1);
        context->drawRect(size, kDrawFilledAndStroked);
        context->setFont(menu->getFont());
        context->setFontColor(kListText);
        for (long i = 0; i < menu->getNbEntries(); ++i) {
            CRect r = itemRect(i);
            if (i == hover) {
                CRect h = r;
                h.bound(CRect(size.left + 1, size.top + 1, size.right - 1, size.bottom - 1));
                context->setFillColor(kListHover);
                context->fillRect(h);
            }
            if (i == menu->getCurrentIndex() && (menu->getStyle() & kCheckStyle)) {
                const CCoord cy = std::round((r.top + r.bottom) / 2);
                context->setFillColor(kListText);
                context->fillRect(CRect(r.left + 5, cy - 2, r.left + 9, cy + 2));
            }
            CRect textRect = r;
            textRect.left += kMarkWidth;
            context->drawString(menu->getEntry(i)->getTitle(), textRect, kLeftText);
        }
        setDirty(false);
    }

    CMouseEventResult onMouseDown(CPoint& where, const long&) override
    {
        menu->popupClosed(indexAt(where));
        return kMouseDownEventHandledButDontNeedMovedOrUpEvents;
    }

    CMouseEventResult onMouseMoved(CPoint& where, const long&) override
    {
        const long index = indexAt(where);
        if (index != hover) {
            hover = index;
            invalid();
        }
        return kMouseEventHandled;
    }

    CMouseEventResult onMouseExited(CPoint&, const long&) override
    {
        if (hover != -1) {
            hover = -1;
            invalid();
        }
        return kMouseEventHandled;
    }

    long onKeyDown(CKeyCode& key) override
    {
        if (key.virt == kVKeyEscape)
            menu->popupClosed(-1);
        return 1;
    }

private:
    COptionMenu* menu;
    long perColumn;
    CCoord itemHeight;
    CCoord columnWidth;
    long hover = -1;
};

COptionMenu::COptionMenu(const CRect& size, CControlListener* listener, long tag,
                         CBitmap* background, CBitmap* bgWhenClick, long style)
    : CParamDisplay(size, background, style), bgWhenClick(bgWhenClick)
{
    this->listener = listener;
    this->tag = tag;
    if (bgWhenClick)
        bgWhenClick->remember();
}

COptionMenu::COptionMenu(const COptionMenu& other)
    : CParamDisplay(other),
      currentIndex(other.currentIndex),
      nbItemsPerColumn(other.nbItemsPerColumn),
      bgWhenClick(other.bgWhenClick)
{
    for (const auto& e : other.entries)
        entries.push_back(std::make_unique<CMenuItem>(*e));
    if (bgWhenClick)
        bgWhenClick->remember();
}

COptionMenu::~COptionMenu()
{
    if (bgWhenClick)
        bgWhenClick->forget();
}

CMenuItem* COptionMenu::addEntry(const char* title, long index)
{
    auto item = std::make_unique<CMenuItem>(title);
    CMenuItem* result = item.get();
    if (index < 0 || index >= getNbEntries())
        entries.push_back(std::move(item));
    else
        entries.insert(entries.begin() + index, std::move(item));
    vmax = static_cast<float>(std::max(1L, getNbEntries() - 1));
    return result;
}

bool COptionMenu::removeEntry(long index)
{
    if (index < 0 || index >= getNbEntries())
        return false;
    entries.erase(entries.begin() + index);
    if (currentIndex >= getNbEntries())
        currentIndex = getNbEntries() - 1;
    vmax = static_cast<float>(std::max(1L, getNbEntries() - 1));
    setDirty(true);
    return true;
}

void COptionMenu::removeAllEntry()
{
    entries.clear();
    currentIndex = -1;
    vmax = 1.f;
    setDirty(true);
}

CMenuItem* COptionMenu::getEntry(long index) const
{
    if (index < 0 || index >= getNbEntries())
        return nullptr;
    return entries[static_cast<size_t>(index)].get();
}

bool COptionMenu::setCurrent(long index)
{
    if (index < 0 || index >= getNbEntries())
        return false;
    currentIndex = index;
    value = static_cast<float>(index);
    setDirty(true);
    return true;
}

void COptionMenu::setValue(float val)
{
    const long index = static_cast<long>(val + 0.5f);
    if (!setCurrent(index))
        value = val;
}

void COptionMenu::draw(CDrawContext* context)
{
    if (!(style & kNoDrawStyle)) {
        drawBack(context, popup && bgWhenClick ? bgWhenClick : pBackground);
        if (!(style & kNoTextStyle)) {
            if (const CMenuItem* item = getCurrent())
                drawText(context, item->getTitle());
        }
    }
    setDirty(false);
}

CMouseEventResult COptionMenu::onMouseDown(CPoint&, const long& buttons)
{
    if (!(buttons & kLButton) || !pParentFrame || entries.empty())
        return kMouseEventNotHandled;
    if (popup)
        return kMouseDownEventHandledButDontNeedMovedOrUpEvents;

    // Lay the entries out in columns and place the list below the button,
    // or above it, kept inside the frame.
    const long count = getNbEntries();
    const long perColumn = nbItemsPerColumn > 0 ? std::min(nbItemsPerColumn, count) : count;
    const long columns = (count + perColumn - 1) / perColumn;
    const CCoord itemHeight = std::ceil(font->getSize()) + kItemPadding;
    CCoord widest = 0;
    for (const auto& e : entries)
        widest = std::max(widest, CDrawContext::measureString(font, e->getTitle()));
    const CCoord columnWidth = std::ceil(widest) + kMarkWidth + kItemPadding;
    const CCoord width = columns * columnWidth;
    const CCoord height = perColumn * itemHeight;

    const CRect frameSize = pParentFrame->getViewSize();
    const CCoord frameW = frameSize.getWidth();
    const CCoord frameH = frameSize.getHeight();
    CPoint at(size.left, size.bottom);
    localToFrame(at);
    CPoint top(size.left, size.top);
    localToFrame(top);
    if (at.y + height > frameH)
        at.y = top.y - height >= 0 ? top.y - height : std::max<CCoord>(0, frameH - height);
    if (at.x + width > frameW)
        at.x = std::max<CCoord>(0, frameW - width);

    auto* list = new Popup(this, CRect(at, CPoint(width, height)), perColumn, itemHeight,
                           columnWidth);
    if (!pParentFrame->setModalView(list)) {
        list->forget();
        return kMouseDownEventHandledButDontNeedMovedOrUpEvents;
    }
    popup = list;
    setDirty(true);
    return kMouseDownEventHandledButDontNeedMovedOrUpEvents;
}

void COptionMenu::popupClosed(long index)
{
    Popup* list = popup;
    if (!list)
        return;
    // Keep ourselves alive: releasing the list may drop the last other reference.
    remember();
    popup = nullptr;
    if (CFrame* frame = list->getFrame()) {
        if (frame->getModalView() == list)
            frame->setModalView(nullptr);
    }
    list->forget();
    setDirty(true);
    if (index >= 0 && setCurrent(index)) {
        beginEdit();
        valueChanged();
        endEdit();
    }
    forget();
}
