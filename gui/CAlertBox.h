// A message drawn in the window: a box with the text (one line per '\n')
// and an "OK" mark, shown as the frame's modal view over the middle of the
// window. A click anywhere closes it. UI thread.
#pragma once

#include <string>

#include "gui/CView.h"

class CAlertBox : public CView {
public:
    // Puts a box with text over frame; false (and nothing shown) without a
    // frame or while another modal view is up.
    static bool show(CFrame* frame, const std::string& text);

    const std::string& getText() const { return text; }

    void draw(CDrawContext* context) override;
    CMouseEventResult onMouseDown(CPoint& where, const long& buttons) override;

    CLASS_METHODS_NOCOPY(CAlertBox, CView)

private:
    CAlertBox(const CRect& size, const std::string& text) : CView(size), text(text) {}

    std::string text;
};
