// A small box in the panel's style that tells the user something about the
// control under the mouse: its name and value while it is moved or hovered,
// a tooltip after a short hover, or a short message. It takes no mouse
// input; the editor places it beside the control and hides it again.
#pragma once

#include <string>

#include "gui/CView.h"

class CInfoBubble : public CView {
public:
    explicit CInfoBubble(const CRect& window);

    // Shows up to two lines (the second may be empty) above the rectangle
    // `near` (below it when there is no room above), kept inside the window.
    void show(const std::string& first, const std::string& second, const CRect& near);
    void hide();
    bool isShown() const { return shown; }
    const std::string& firstLine() const { return first; }
    const std::string& secondLine() const { return second; }

    void draw(CDrawContext* context) override;
    CMouseEventResult onMouseDown(CPoint& where, const long& buttons) override;

private:
    CRect window;
    std::string first, second;
    bool shown = false;
};
