// Font descriptions. Text is drawn in one sans face; a description only
// chooses the pixel size.
#pragma once

#include <string>

#include "gui/CBaseObject.h"
#include "gui/CPoint.h"

class CFontDesc : public CBaseObject {
public:
    CFontDesc(const char* name, CCoord size) : name(name ? name : ""), size(size) {}

    const char* getName() const { return name.c_str(); }
    CCoord getSize() const { return size; }
    void setSize(CCoord newSize) { size = newSize; }

private:
    std::string name;
    CCoord size;
};

typedef CFontDesc* CFontRef;

// Shared fonts, alive for the whole process; balance any remember() with forget().
extern const CFontRef kNormalFontVerySmall; // 9 px
extern const CFontRef kNormalFontSmaller;   // 10 px
extern const CFontRef kNormalFontSmall;     // 11 px
extern const CFontRef kNormalFont;          // 12 px
extern const CFontRef kNormalFontBig;       // 14 px
extern const CFontRef kNormalFontVeryBig;   // 18 px
