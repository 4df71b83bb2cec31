// A three-state lamp: off (value below 0.5), held (exactly 0.5) and lit
// (above 0.5). Its owner sets the state; a left click turns it off and tells
// the listener. The bitmap holds three pictures stacked top to bottom: off,
// held, lit.
#pragma once

#include "gui/CControl.h"

class CLED : public CControl {
public:
    CLED(const CRect& size, CControlListener* listener, int tag, CBitmap* ledBitmap);
    CLED(const CLED& other);
    ~CLED() override;

    // True exactly in the held state.
    virtual bool getHold() const;
    // Keeps the previous value as the old value and stores v, unclamped and
    // without a redraw: the lamp is dirty until drawn when v differs from it.
    void setValue(float v) override;
    virtual void resetHold();

    void draw(CDrawContext* context) override;
    CMouseEventResult onMouseDown(CPoint& where, const long& buttons) override;

    CBitmap* getLedBitmap() const { return ledBitmap; }
    // Source offsets of the off, held and lit pictures.
    const CPoint& getOffOffset() const { return offOffset; }
    const CPoint& getHoldOffset() const { return holdOffset; }
    const CPoint& getLitOffset() const { return litOffset; }

    CLASS_METHODS(CLED, CControl)

private:
    CBitmap* ledBitmap;
    CPoint offOffset;
    CPoint holdOffset;
    CPoint litOffset;
};
