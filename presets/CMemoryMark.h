// A small lamp on a memory's recall button: lit while the memory holds a
// program. It takes no mouse input.
#pragma once

#include "gui/CView.h"

class CMemoryMark : public CView {
public:
    explicit CMemoryMark(const CRect& size) : CView(size) {}

    void setLit(bool on);
    bool isLit() const { return lit; }

    void draw(CDrawContext* context) override;
    CMouseEventResult onMouseDown(CPoint&, const long&) override { return kMouseEventNotHandled; }

private:
    bool lit = false;
};
