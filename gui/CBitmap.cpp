#include "gui/CBitmap.h"

#include <cairo.h>
#include <cstdio>
#include <cstring>

#include "gui/CDrawContext.h"
#include "gui/Resources.h"

namespace {
cairo_surface_t* loaded(cairo_surface_t* s)
{
    if (cairo_surface_status(s) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(s);
        return nullptr;
    }
    return s;
}

cairo_surface_t* loadPng(const std::string& path)
{
    return loaded(cairo_image_surface_create_from_png(path.c_str()));
}

struct Bytes {
    const unsigned char* at;
    const unsigned char* end;
};

cairo_status_t readBytes(void* closure, unsigned char* data, unsigned int length)
{
    auto* b = static_cast<Bytes*>(closure);
    if (static_cast<size_t>(b->end - b->at) < length)
        return CAIRO_STATUS_READ_ERROR;
    std::memcpy(data, b->at, length);
    b->at += length;
    return CAIRO_STATUS_SUCCESS;
}

// The resource folder's file, else the picture held in memory.
cairo_surface_t* loadPicture(int id, double scale)
{
    const std::string folder = resourceFolder();
    if (!folder.empty())
        if (cairo_surface_t* s = loadPng(folder + "/" + bitmapFileName(id, scale)))
            return s;
    if (const EmbeddedPicture* p = findEmbeddedPicture(id, scale)) {
        Bytes bytes{p->begin, p->end};
        return loaded(cairo_image_surface_create_from_png_stream(readBytes, &bytes));
    }
    return nullptr;
}
} // namespace

CBitmap::CBitmap(const CResourceDescription& desc, double wantedScale) : desc(desc)
{
    if (wantedScale > 1.0 && (surface = loadPicture(desc.id, wantedScale)))
        scale = wantedScale;
    else
        surface = loadPicture(desc.id, 1.0);
    if (surface && scale != 1.0)
        cairo_surface_set_device_scale(surface, scale, scale);
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
    return surface ? cairo_image_surface_get_width(surface) / scale : 0;
}

CCoord CBitmap::getHeight() const
{
    return surface ? cairo_image_surface_get_height(surface) / scale : 0;
}
