#include "gui/CParamDisplay.h"

#include <cstdio>

#include "gui/CBitmap.h"

CParamDisplay::CParamDisplay(const CRect& size, CBitmap* background, long style)
    : CControl(size, nullptr, 0, background), font(kNormalFontSmall), style(style)
{
    font->remember();
}

CParamDisplay::CParamDisplay(const CParamDisplay& other)
    : CControl(other),
      stringConvert(other.stringConvert),
      font(other.font),
      fontColor(other.fontColor),
      backColor(other.backColor),
      frameColor(other.frameColor),
      horiTxtAlign(other.horiTxtAlign),
      backOffset(other.backOffset),
      antialias(other.antialias),
      style(other.style)
{
    font->remember();
}

CParamDisplay::~CParamDisplay()
{
    font->forget();
}

void CParamDisplay::setFont(CFontRef newFont)
{
    if (!newFont || newFont == font)
        return;
    newFont->remember();
    font->forget();
    font = newFont;
    setDirty(true);
}

void CParamDisplay::getDisplayText(char text[256]) const
{
    text[0] = 0;
    if (stringConvert)
        stringConvert(value, text);
    else
        std::snprintf(text, 256, "%2.2f", value);
}

void CParamDisplay::draw(CDrawContext* context)
{
    if (!(style & kNoDrawStyle)) {
        drawBack(context, pBackground);
        if (!(style & kNoTextStyle)) {
            char text[256];
            getDisplayText(text);
            drawText(context, text);
        }
    }
    setDirty(false);
}

void CParamDisplay::drawBack(CDrawContext* context, CBitmap* picture)
{
    if (picture && picture->isLoaded()) {
        picture->draw(context, size, backOffset);
    } else if (!bTransparencyEnabled) {
        context->setFillColor(backColor);
        context->fillRect(size);
        if (!(style & kNoFrame)) {
            context->setFrameColor(frameColor);
            context->setLineWidth(1);
            context->drawRect(size);
        }
    }
}

void CParamDisplay::drawText(CDrawContext* context, const char* text)
{
    context->setFont(font);
    context->setFontColor(fontColor);
    context->drawString(text, size, horiTxtAlign, antialias);
}
