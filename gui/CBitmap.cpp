#include "gui/CBitmap.h"

#include <cairo.h>
#include <cstdio>

#include "gui/CDrawContext.h"
#include "gui/Resources.h"

namespace {
cairo_surface_t* loadPng(const std::string& path)
{
    cairo_surface_t* s = cairo_image_surface_create_from_png(path.c_str());
    if (cairo_surface_status(s) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(s);
        return nullptr;
    }
    return s;
}
} // namespace

CBitmap::CBitmap(const CResourceDescription& desc) : desc(desc)
{
    const std::string folder = resourceFolder();
    if (folder.empty())
        return;
    char name[32];
    std::snprintf(name, sizeof name, "bmp%05d.png", desc.id);
    surface = loadPng(folder + "/" + name);
}

CBitmap::~CBitmap()
{
    if (surface)
        cairo_surface_destroy(surface);
}

void CBitmap::draw(CDrawContext* context, const CRect& destRect, const CPoint& offset, float alpha)
{
    if (context && surface)
        context->drawBitmap(this, destRect, offset, alpha);
}

CCoord CBitmap::getWidth() const
{
    return surface ? cairo_image_surface_get_width(surface) : 0;
}

CCoord CBitmap::getHeight() const
{
    return surface ? cairo_image_surface_get_height(surface) : 0;
}
