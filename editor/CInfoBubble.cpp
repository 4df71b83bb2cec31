#include "editor/CInfoBubble.h"

#include <algorithm>
#include <cmath>

#include "gui/CDrawContext.h"
#include "gui/CFont.h"
#include "gui/CFrame.h"

namespace {
constexpr CCoord kPad = 4;
constexpr CCoord kLine = 12;
const CColor kBox(32, 30, 27, 235);
const CColor kEdge(150, 140, 120, 255);
const CColor kFirst(236, 228, 206, 255);
const CColor kSecond(190, 184, 168, 255);
}  // namespace

CInfoBubble::CInfoBubble(const CRect& window) : CView(CRect(0, 0, 0, 0)), window(window)
{
}

void CInfoBubble::show(const std::string& a, const std::string& b, const CRect& near)
{
    const CCoord w = std::ceil(std::max(CDrawContext::measureString(kNormalFontSmall, a.c_str()),
                                        CDrawContext::measureString(kNormalFontSmaller, b.c_str()))) +
                     2 * kPad;
    const CCoord h = (b.empty() ? kLine : 2 * kLine) + kPad;
    CCoord left = (near.left + near.right) / 2 - w / 2;
    left = std::max(window.left + 2, std::min(left, window.right - 2 - w));
    CCoord top = near.top - h - 3;
    if (top < window.top + 2)
        top = near.bottom + 3;
    if (shown)
        invalid();  // where it was
    first = a;
    second = b;
    shown = true;
    setViewSize(CRect(left, top, left + w, top + h));
    invalid();
}

void CInfoBubble::hide()
{
    if (!shown)
        return;
    invalid();
    shown = false;
    setViewSize(CRect(0, 0, 0, 0));
}

void CInfoBubble::draw(CDrawContext* context)
{
    if (shown) {
        context->setFillColor(kBox);
        context->setFrameColor(kEdge);
        context->setLineWidth(1);
        context->drawRect(size, kDrawFilledAndStroked);
        CRect line(size.left + kPad, size.top + kPad / 2, size.right - kPad, size.top + kPad / 2 + kLine);
        context->setFont(kNormalFontSmall);
        context->setFontColor(kFirst);
        context->drawString(first.c_str(), line, kLeftText);
        if (!second.empty()) {
            line.offset(0, kLine);
            context->setFont(kNormalFontSmaller);
            context->setFontColor(kSecond);
            context->drawString(second.c_str(), line, kLeftText);
        }
    }
    setDirty(false);
}

CMouseEventResult CInfoBubble::onMouseDown(CPoint&, const long&)
{
    return kMouseEventNotHandled;
}
