#include "gui/CDrawContext.h"

#include <cairo.h>
#include <cmath>

#include "gui/CBitmap.h"

namespace {
void setSource(cairo_t* cr, const CColor& c)
{
    cairo_set_source_rgba(cr, c.red / 255.0, c.green / 255.0, c.blue / 255.0, c.alpha / 255.0);
}
} // namespace

CDrawContext::CDrawContext(cairo_surface_t* surface, double scale)
    : cr(cairo_create(surface)), font(kNormalFont)
{
    if (scale != 1.0)
        cairo_scale(cr, scale, scale);
    const int w = cairo_image_surface_get_width(surface);
    const int h = cairo_image_surface_get_height(surface);
    surfaceRect = CRect(0, 0, w / scale, h / scale);
    clipRect = surfaceRect;
}

CDrawContext::~CDrawContext()
{
    cairo_destroy(cr);
}

void CDrawContext::setClipRect(const CRect& clip)
{
    clipRect = clip;
    clipRect.offset(offset.x, offset.y);
    clipRect.bound(surfaceRect);
}

CRect& CDrawContext::getClipRect(CRect& clip) const
{
    clip = clipRect;
    clip.offset(-offset.x, -offset.y);
    return clip;
}

void CDrawContext::resetClipRect()
{
    clipRect = surfaceRect;
}

void CDrawContext::setOffset(const CPoint& newOffset)
{
    offset = newOffset;
}

void CDrawContext::setFont(CFontRef newFont)
{
    if (newFont)
        font = newFont;
}

void CDrawContext::begin()
{
    cairo_save(cr);
    cairo_rectangle(cr, clipRect.left, clipRect.top, clipRect.getWidth(), clipRect.getHeight());
    cairo_clip(cr);
    cairo_translate(cr, offset.x, offset.y);
}

void CDrawContext::end()
{
    cairo_restore(cr);
}

void CDrawContext::selectFont(cairo_t* c) const
{
    cairo_select_font_face(c, font->getName(), CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(c, font->getSize());
}

void CDrawContext::drawString(const char* text, const CRect& rect, CHoriTxtAlign align,
                              bool antialias)
{
    if (!text || !*text || rect.isEmpty())
        return;
    begin();
    cairo_rectangle(cr, rect.left, rect.top, rect.getWidth(), rect.getHeight());
    cairo_clip(cr);
    selectFont(cr);
    cairo_font_options_t* options = cairo_font_options_create();
    cairo_font_options_set_antialias(options,
                                     antialias ? CAIRO_ANTIALIAS_GRAY : CAIRO_ANTIALIAS_NONE);
    cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
    cairo_set_font_options(cr, options);
    cairo_font_options_destroy(options);

    cairo_text_extents_t te;
    cairo_text_extents(cr, text, &te);
    cairo_font_extents_t fe;
    cairo_font_extents(cr, &fe);
    double x = rect.left;
    if (align == kCenterText)
        x = rect.left + (rect.getWidth() - te.x_advance) / 2;
    else if (align == kRightText)
        x = rect.right - te.x_advance;
    const double y = rect.top + (rect.getHeight() - (fe.ascent + fe.descent)) / 2 + fe.ascent;
    setSource(cr, fontColor);
    cairo_move_to(cr, std::round(x), std::round(y));
    cairo_show_text(cr, text);
    end();
}

CCoord CDrawContext::getStringWidth(const char* text)
{
    if (!text || !*text)
        return 0;
    cairo_save(cr);
    selectFont(cr);
    cairo_font_options_t* options = cairo_font_options_create();
    cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
    cairo_set_font_options(cr, options);
    cairo_font_options_destroy(options);
    cairo_text_extents_t te;
    cairo_text_extents(cr, text, &te);
    cairo_restore(cr);
    return te.x_advance;
}

CCoord CDrawContext::measureString(CFontRef font, const char* text)
{
    cairo_surface_t* scratch = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 1, 1);
    CCoord width;
    {
        CDrawContext context(scratch);
        context.setFont(font);
        width = context.getStringWidth(text);
    }
    cairo_surface_destroy(scratch);
    return width;
}

void CDrawContext::drawRect(const CRect& rect, CDrawStyle style)
{
    if (rect.isEmpty())
        return;
    begin();
    if (style == kDrawFilled || style == kDrawFilledAndStroked) {
        cairo_rectangle(cr, rect.left, rect.top, rect.getWidth(), rect.getHeight());
        setSource(cr, fillColor);
        cairo_fill(cr);
    }
    if (style == kDrawStroked || style == kDrawFilledAndStroked) {
        // Keep the stroke inside the rectangle, on whole pixels.
        const double inset = lineWidth / 2;
        cairo_rectangle(cr, rect.left + inset, rect.top + inset, rect.getWidth() - lineWidth,
                        rect.getHeight() - lineWidth);
        cairo_set_line_width(cr, lineWidth);
        setSource(cr, frameColor);
        cairo_stroke(cr);
    }
    end();
}

void CDrawContext::drawLine(const CPoint& start, const CPoint& endPoint)
{
    begin();
    // Odd widths sit on pixel centres so that one-pixel lines stay sharp.
    const double shift = std::fmod(lineWidth, 2.0) == 1.0 ? 0.5 : 0.0;
    cairo_move_to(cr, start.x + shift, start.y + shift);
    cairo_line_to(cr, endPoint.x + shift, endPoint.y + shift);
    cairo_set_line_width(cr, lineWidth);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_SQUARE);
    setSource(cr, frameColor);
    cairo_stroke(cr);
    end();
}

void CDrawContext::drawBitmap(CBitmap* bitmap, const CRect& dest, const CPoint& srcOffset,
                              float alpha)
{
    if (!bitmap || !bitmap->getSurface() || dest.isEmpty())
        return;
    begin();
    cairo_rectangle(cr, dest.left, dest.top, dest.getWidth(), dest.getHeight());
    cairo_clip(cr);
    cairo_set_source_surface(cr, bitmap->getSurface(), dest.left - srcOffset.x,
                             dest.top - srcOffset.y);
    if (alpha >= 1.f)
        cairo_paint(cr);
    else
        cairo_paint_with_alpha(cr, alpha);
    end();
}

void CDrawContext::drawPolyline(const CPoint* points, int count)
{
    if (!points || count < 2)
        return;
    begin();
    cairo_move_to(cr, points[0].x, points[0].y);
    for (int i = 1; i < count; ++i)
        cairo_line_to(cr, points[i].x, points[i].y);
    setSource(cr, frameColor);
    cairo_set_line_width(cr, lineWidth);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    cairo_stroke(cr);
    end();
}

void CDrawContext::fillUnder(const CPoint* points, int count, CCoord baseline)
{
    if (!points || count < 2)
        return;
    begin();
    cairo_move_to(cr, points[0].x, baseline);
    for (int i = 0; i < count; ++i)
        cairo_line_to(cr, points[i].x, points[i].y);
    cairo_line_to(cr, points[count - 1].x, baseline);
    cairo_close_path(cr);
    setSource(cr, fillColor);
    cairo_fill(cr);
    end();
}
