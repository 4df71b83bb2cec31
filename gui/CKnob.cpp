#include "gui/CKnob.h"

#include <cmath>

#include "gui/CBitmap.h"
#include "gui/CDrawContext.h"
#include "gui/CFrame.h"
#include "gui/VSTGUIEditorInterface.h"

namespace {
const double kPi = 3.14159265358979323846;
// The sweep runs clockwise from lower left (minimum) to lower right (maximum).
const double kStartAngle = 1.25 * kPi;
const double kRangeAngle = 1.5 * kPi;
// Pixels of linear drag for the whole range.
const double kLinearRange = 200;

double wrapAngle(double a)
{
    while (a > kPi)
        a -= 2 * kPi;
    while (a < -kPi)
        a += 2 * kPi;
    return a;
}
} // namespace

CKnob::CKnob(const CRect& size, CControlListener* listener, long tag, CBitmap* background,
             const CPoint& offset)
    : CControl(size, listener, tag, background), offset(offset)
{
}

double CKnob::angleOfValue() const
{
    return kStartAngle - normalizedValue() * kRangeAngle;
}

double CKnob::angleOfPoint(const CPoint& where) const
{
    const double cx = size.left + size.getWidth() / 2;
    const double cy = size.top + size.getHeight() / 2;
    return std::atan2(cy - where.y, where.x - cx);
}

float CKnob::valueFromPoint(const CPoint& where) const
{
    double d = kStartAngle - angleOfPoint(where);
    while (d < 0)
        d += 2 * kPi;
    while (d >= 2 * kPi)
        d -= 2 * kPi;
    if (d > kRangeAngle) // in the gap at the bottom: the nearer end
        d = d > kRangeAngle + (2 * kPi - kRangeAngle) / 2 ? 0 : kRangeAngle;
    return vmin + static_cast<float>(d / kRangeAngle) * (vmax - vmin);
}

void CKnob::draw(CDrawContext* context)
{
    if (pBackground) {
        pBackground->draw(context, size, offset);
    }
    const double cx = size.left + size.getWidth() / 2;
    const double cy = size.top + size.getHeight() / 2;
    const double radius = std::min(size.getWidth(), size.getHeight()) / 2 - 2;
    const double a = angleOfValue();
    context->setFrameColor(colorHandle);
    context->setLineWidth(1);
    context->drawLine(CPoint(std::round(cx), std::round(cy)),
                      CPoint(std::round(cx + radius * std::cos(a)),
                             std::round(cy - radius * std::sin(a))));
    setDirty(false);
}

CMouseEventResult CKnob::onMouseDown(CPoint& where, const long& buttons)
{
    if (!(buttons & kLButton))
        return kMouseEventNotHandled;
    beginEdit();
    if (buttons & kControl) {
        value = defaultValue;
        if (isDirty()) {
            valueChanged();
            invalid();
        }
        endEdit();
        return kMouseDownEventHandledButDontNeedMovedOrUpEvents;
    }
    const VSTGUIEditorInterface* editor = pParentFrame ? pParentFrame->getEditor() : nullptr;
    dragMode = editor ? editor->getKnobMode() : kCircularMode;
    dragging = true;
    dragButtons = buttons;
    dragStartValue = value;
    dragStart = where;
    dragAngle = angleOfPoint(where);
    if (dragMode == kCircularMode)
        onMouseMoved(where, buttons);
    return kMouseEventHandled;
}

CMouseEventResult CKnob::onMouseMoved(CPoint& where, const long& buttons)
{
    if (!(buttons & kLButton) || !dragging)
        return kMouseEventNotHandled;
    const float fine = (buttons & kShift) ? zoomFactor : 1.f;
    if (dragMode == kLinearMode) {
        // Re-anchor when the modifiers change, so Shift switches rate without a jump.
        if (buttons != dragButtons) {
            dragButtons = buttons;
            dragStartValue = value;
            dragStart = where;
        }
        const double travel = (dragStart.y - where.y) + (where.x - dragStart.x);
        value = dragStartValue +
                static_cast<float>(travel * (vmax - vmin) / (kLinearRange * fine));
    } else if (dragMode == kRelativCircularMode) {
        const double a = angleOfPoint(where);
        const double step = wrapAngle(dragAngle - a);
        dragAngle = a;
        value += static_cast<float>(step / kRangeAngle) * (vmax - vmin) / fine;
    } else {
        value = valueFromPoint(where);
    }
    bounceValue();
    if (isDirty()) {
        valueChanged();
        invalid();
    }
    return kMouseEventHandled;
}

CMouseEventResult CKnob::onMouseUp(CPoint&, const long&)
{
    if (!dragging)
        return kMouseEventNotHandled;
    dragging = false;
    endEdit();
    return kMouseEventHandled;
}

bool CKnob::onWheel(const CPoint&, const float& distance, const long& buttons)
{
    const float fine = (buttons & kShift) ? zoomFactor : 1.f;
    value += distance * wheelInc / fine;
    bounceValue();
    if (isDirty()) {
        invalid();
        beginEdit();
        valueChanged();
        endEdit();
    }
    return true;
}

CAnimKnob::CAnimKnob(const CRect& size, CControlListener* listener, long tag, long subPixmaps,
                     CCoord heightOfOneImage, CBitmap* background, const CPoint& offset)
    : CKnob(size, listener, tag, background, offset),
      subPixmaps(subPixmaps),
      heightOfOneImage(heightOfOneImage)
{
}

void CAnimKnob::draw(CDrawContext* context)
{
    if (pBackground && subPixmaps > 0) {
        long index = static_cast<long>(std::floor(normalizedValue() * (subPixmaps - 1) + 0.5));
        index = std::max(0L, std::min(subPixmaps - 1, index));
        pBackground->draw(context, size, CPoint(0, index * heightOfOneImage));
    }
    setDirty(false);
}
