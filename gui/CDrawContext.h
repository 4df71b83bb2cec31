// Drawing on a cairo image surface in view coordinates. Every operation is clipped
// to the clip rectangle; containers shift the origin with setOffset so that
// children draw in their parent's coordinates. UI thread.
#pragma once

#include "gui/CColor.h"
#include "gui/CFont.h"
#include "gui/CRect.h"
#include "gui/CairoFwd.h"

class CBitmap;

enum CHoriTxtAlign { kLeftText = 0, kCenterText, kRightText };
enum CDrawStyle { kDrawStroked = 0, kDrawFilled, kDrawFilledAndStroked };

class CDrawContext {
public:
    // At a scale above 1 the surface has that many pixels per unit.
    explicit CDrawContext(cairo_surface_t* surface, double scale = 1.0);
    ~CDrawContext();
    CDrawContext(const CDrawContext&) = delete;
    CDrawContext& operator=(const CDrawContext&) = delete;

    void setClipRect(const CRect& clip);
    CRect& getClipRect(CRect& clip) const;
    void resetClipRect();

    void setOffset(const CPoint& offset);
    const CPoint& getOffset() const { return offset; }

    // The font is not retained: it must outlive its use here.
    void setFont(CFontRef font);
    CFontRef getFont() const { return font; }
    void setFontColor(const CColor& color) { fontColor = color; }
    const CColor& getFontColor() const { return fontColor; }
    void setFillColor(const CColor& color) { fillColor = color; }
    const CColor& getFillColor() const { return fillColor; }
    void setFrameColor(const CColor& color) { frameColor = color; }
    const CColor& getFrameColor() const { return frameColor; }
    void setLineWidth(CCoord width) { lineWidth = width; }
    CCoord getLineWidth() const { return lineWidth; }

    // One line of UTF-8 text, vertically centred in rect.
    void drawString(const char* text, const CRect& rect, CHoriTxtAlign align = kCenterText,
                    bool antialias = true);
    CCoord getStringWidth(const char* text);
    // Width of text in font, for layout outside a drawing pass.
    static CCoord measureString(CFontRef font, const char* text);

    void drawRect(const CRect& rect, CDrawStyle style = kDrawStroked);
    void fillRect(const CRect& rect) { drawRect(rect, kDrawFilled); }
    void drawLine(const CPoint& start, const CPoint& end);
    // An antialiased line through count points, in the frame colour and
    // line width.
    void drawPolyline(const CPoint* points, int count);
    // The area between the line through count points and the horizontal
    // line at baseline, in the fill colour.
    void fillUnder(const CPoint* points, int count, CCoord baseline);
    void drawBitmap(CBitmap* bitmap, const CRect& dest, const CPoint& offset, float alpha);

private:
    void begin();
    void end();
    void selectFont(cairo_t* c) const;

    cairo_t* cr;
    CRect clipRect;   // in surface coordinates
    CRect surfaceRect;
    CPoint offset;
    CFontRef font;
    CColor fontColor = kBlackCColor;
    CColor fillColor = kWhiteCColor;
    CColor frameColor = kBlackCColor;
    CCoord lineWidth = 1;
};
