// A picture loaded by number: resource n is the file "bmp%05d.png" of the
// resource folder, or the picture a library holds for it when the file is
// missing. At a scale above 1 the picture drawn that much larger is taken
// (bmp%05d@2x.png), else the plain one; either way the bitmap measures and
// draws in window units, its pixels at the scale they were drawn for. A
// picture found nowhere leaves a bitmap that reports isLoaded() false,
// measures 0 x 0 and draws nothing.
#pragma once

#include "gui/CBaseObject.h"
#include "gui/CRect.h"
#include "gui/CairoFwd.h"

class CDrawContext;

class CResourceDescription {
public:
    CResourceDescription(int id) : id(id) {}
    int id;
};

class CBitmap : public CBaseObject {
public:
    explicit CBitmap(const CResourceDescription& desc, double scale = 1.0);
    ~CBitmap() override;
    CBitmap(const CBitmap&) = delete;
    CBitmap& operator=(const CBitmap&) = delete;

    // Copies the area that starts at offset in the bitmap into destRect,
    // unscaled; alpha 0..1 fades it.
    virtual void draw(CDrawContext* context, const CRect& destRect,
                      const CPoint& offset = CPoint(0, 0), float alpha = 1.f);

    CCoord getWidth() const;
    CCoord getHeight() const;
    bool isLoaded() const { return surface != nullptr; }
    const CResourceDescription& getResourceDescription() const { return desc; }

    cairo_surface_t* getSurface() const { return surface; }
    // The scale the pixels were drawn for (1 when only the plain picture exists).
    double getScale() const { return scale; }

private:
    CResourceDescription desc;
    cairo_surface_t* surface = nullptr;
    double scale = 1.0;
};
