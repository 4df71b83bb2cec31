// A read-out: draws its background (a piece of a bitmap from the back offset,
// or a filled and framed rectangle) and its value as text. The text comes
// from a converter function when one is set, else "%2.2f".
#pragma once

#include "gui/CColor.h"
#include "gui/CControl.h"
#include "gui/CDrawContext.h"
#include "gui/CFont.h"

// Style bits for read-outs, text fields and menus.
enum {
    kCheckStyle = 1 << 10,   // menus mark the current entry in their pop-up list
    kNoTextStyle = 1 << 11,  // no text
    kNoDrawStyle = 1 << 12,  // draws nothing at all
    kNoFrame = 1 << 14,      // no frame around a filled background
};

class CParamDisplay : public CControl {
public:
    typedef void (*StringConvert)(float value, char* text);

    CParamDisplay(const CRect& size, CBitmap* background = nullptr, long style = 0);
    CParamDisplay(const CParamDisplay& other);
    ~CParamDisplay() override;

    void draw(CDrawContext* context) override;

    // convert writes at most 255 characters and a terminating zero.
    void setStringConvert(StringConvert convert) { stringConvert = convert; }
    StringConvert getStringConvert() const { return stringConvert; }

    void setFont(CFontRef newFont);
    CFontRef getFont() const { return font; }
    void setFontColor(const CColor& color) { fontColor = color; }
    const CColor& getFontColor() const { return fontColor; }
    void setBackColor(const CColor& color) { backColor = color; }
    const CColor& getBackColor() const { return backColor; }
    void setFrameColor(const CColor& color) { frameColor = color; }
    const CColor& getFrameColor() const { return frameColor; }
    void setHoriAlign(CHoriTxtAlign align) { horiTxtAlign = align; }
    CHoriTxtAlign getHoriAlign() const { return horiTxtAlign; }
    void setBackOffset(const CPoint& offset) { backOffset = offset; }
    const CPoint& getBackOffset() const { return backOffset; }
    void setTextAntialias(bool state) { antialias = state; }
    void setStyle(long newStyle) { style = newStyle; }
    long getStyle() const { return style; }

    // The text that draw() shows for the current value.
    void getDisplayText(char text[256]) const;

    CLASS_METHODS(CParamDisplay, CControl)

protected:
    void drawBack(CDrawContext* context, CBitmap* picture);
    void drawText(CDrawContext* context, const char* text);

    StringConvert stringConvert = nullptr;
    CFontRef font;
    CColor fontColor = kWhiteCColor;
    CColor backColor = kBlackCColor;
    CColor frameColor = kBlackCColor;
    CHoriTxtAlign horiTxtAlign = kCenterText;
    CPoint backOffset;
    bool antialias = true;
    long style;
};
