#include "gui/CAlertBox.h"

#include <algorithm>

#include "gui/CDrawContext.h"
#include "gui/CFont.h"
#include "gui/CFrame.h"

namespace {
constexpr CCoord kLineHeight = 16;
constexpr CCoord kMaxWidth = 500;
}  // namespace

bool CAlertBox::show(CFrame* frame, const std::string& text)
{
    if (!frame || frame->getModalView())
        return false;
    const CRect area = frame->getViewSize();
    const CCoord lines = static_cast<CCoord>(std::count(text.begin(), text.end(), '\n') + 1);
    const CCoord width = std::min(kMaxWidth, area.getWidth() - 20);
    const CCoord height = std::min(area.getHeight() - 10, 20 + lines * kLineHeight + 30);
    const CCoord left = area.left + (area.getWidth() - width) / 2;
    const CCoord top = area.top + std::max<CCoord>(5, (area.getHeight() - height) / 3);
    auto* box = new CAlertBox(CRect(left, top, left + width, top + height), text);
    if (frame->setModalView(box)) {
        frame->invalid();
        return true;
    }
    box->forget();
    return false;
}

void CAlertBox::draw(CDrawContext* context)
{
    context->setFillColor(CColor(250, 246, 232, 255));
    context->fillRect(size);
    context->setFrameColor(CColor(60, 50, 40, 255));
    context->drawRect(size);
    context->setFont(kNormalFontSmall);
    context->setFontColor(CColor(36, 36, 32, 255));
    CRect line(size.left + 12, size.top + 10, size.right - 12, size.top + 10 + kLineHeight);
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        context->drawString(text.substr(start, end - start).c_str(), line, kLeftText, true);
        line.offset(0, kLineHeight);
        start = end + 1;
    }
    const CRect ok(size.right - 52, size.bottom - 24, size.right - 12, size.bottom - 8);
    context->drawRect(ok);
    context->drawString("OK", ok, kCenterText, true);
    setDirty(false);
}

CMouseEventResult CAlertBox::onMouseDown(CPoint&, const long&)
{
    CFrame* frame = getFrame();
    if (frame && frame->getModalView() == this) {
        frame->setModalView(nullptr);
        frame->invalid();
        forget();
    }
    return kMouseDownEventHandledButDontNeedMovedOrUpEvents;
}
