#include "gui/CFont.h"

namespace {
const char* const kSansFace = "DejaVu Sans";

CFontDesc gVerySmall(kSansFace, 9);
CFontDesc gSmaller(kSansFace, 10);
CFontDesc gSmall(kSansFace, 11);
CFontDesc gNormal(kSansFace, 12);
CFontDesc gBig(kSansFace, 14);
CFontDesc gVeryBig(kSansFace, 18);
} // namespace

const CFontRef kNormalFontVerySmall = &gVerySmall;
const CFontRef kNormalFontSmaller = &gSmaller;
const CFontRef kNormalFontSmall = &gSmall;
const CFontRef kNormalFont = &gNormal;
const CFontRef kNormalFontBig = &gBig;
const CFontRef kNormalFontVeryBig = &gVeryBig;
