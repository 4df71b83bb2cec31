#include "editor/CResponsePanel.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "editor/CScaleMenu.h"
#include "gui/CColor.h"
#include "gui/CDrawContext.h"
#include "gui/CFont.h"
#include "plugin/Sylvatone.h"

namespace {

using namespace std::chrono;

constexpr double kLowHz = 20.0, kHighHz = 20000.0;
constexpr double kCurveRangeDb = 18.0;                  // the curve: -18 .. +18 dB
constexpr double kSpectrumTopDb = 0.0, kSpectrumFloorDb = -90.0;
constexpr auto kFramePeriod = milliseconds(33);         // spectra about 30 times a second

// The window's own colours: the dark panel, its light grey writing and the
// green of the band names.
const CColor kPanel(30, 29, 27);
const CColor kEdge(12, 12, 11);
const CColor kGrid(255, 255, 255, 20);
const CColor kZeroLine(255, 255, 255, 48);
const CColor kLabel(165, 165, 155);
const CColor kCurve(176, 206, 134);
const CColor kRightCurve(138, 184, 214);
const CColor kBand(176, 206, 134, 90);
const CColor kBandLit(236, 222, 170);
const CColor kBandLitFill(236, 222, 170, 45);
const CColor kInput(255, 255, 255, 20);
const CColor kInputText(190, 190, 185);
const CColor kOutput(214, 186, 120, 36);
const CColor kOutputLine(214, 186, 120, 110);

const char* const kGroupNames[response::kGroupCount] = {"LOW CUT", "LF", "LMF", "HMF", "HF"};

void hzLabel(double hz, char* text, size_t room)
{
    if (hz >= 1000)
        snprintf(text, room, "%gk", hz / 1000);
    else
        snprintf(text, room, "%g", hz);
}

}  // namespace

CResponsePanel::CResponsePanel(const CRect& size, Sylvatone* fx, CScaleMenu* sizeMenu)
    : CView(size), effect(fx), menu(sizeMenu)
{
    if (effect) {
        // Whatever waited in the rings is old: dropped, then listened to.
        float scratch[1024];
        SpectrumTap& tap = effect->spectrumTap();
        while (tap.input.pop(scratch, 1024) > 0) {
        }
        while (tap.output.pop(scratch, 1024) > 0) {
        }
        tap.listening.store(true, std::memory_order_relaxed);
    }
}

CResponsePanel::~CResponsePanel()
{
    if (effect)
        effect->spectrumTap().listening.store(false, std::memory_order_relaxed);
}

CRect CResponsePanel::plotArea() const
{
    return CRect(size.left + 34, size.top + 12, size.right - 12, size.bottom - 18);
}

double CResponsePanel::xOf(double hz) const
{
    const CRect plot = plotArea();
    return plot.left + plot.getWidth() * std::log(hz / kLowHz) / std::log(kHighHz / kLowHz);
}

double CResponsePanel::hzAt(double x) const
{
    const CRect plot = plotArea();
    return kLowHz * std::pow(kHighHz / kLowHz, (x - plot.left) / plot.getWidth());
}

void CResponsePanel::computeCurves()
{
    curvesDue = false;
    if (!effect)
        return;
    for (int i = 0; i < kNumParams; ++i)
        model.setParameter(i, effect->getParameter(i));
    const double rate = effect->getSampleRate();
    if (rate != modelRate) {
        model.resume(rate);
        modelRate = rate;
    }
    model.applyPendingUpdates();

    const CRect plot = plotArea();
    const int columns = static_cast<int>(plot.getWidth()) + 1;
    columnHz.resize(static_cast<size_t>(columns));
    for (int c = 0; c < 2; ++c)
        chainDb[c].assign(static_cast<size_t>(columns), 0.0);
    // A mono host feeds the left channel's filters only.
    twoChannels = response::bandsRun(model, 0) != response::bandsRun(model, 1);
    const int bandChannel = response::bandsRun(model, 0) || !response::bandsRun(model, 1) ? 0 : 1;
    for (int g = 0; g < response::kGroupCount; ++g) {
        const auto group = static_cast<response::Group>(g);
        groupShown[g] = response::groupActive(model, bandChannel, group);
        groupHz[g] = response::groupFrequency(model, bandChannel, group);
        groupDb[g].assign(static_cast<size_t>(columns), 0.0);
    }
    for (int x = 0; x < columns; ++x) {
        const double hz = hzAt(plot.left + x);
        columnHz[static_cast<size_t>(x)] = hz;
        // Beyond the host's Nyquist frequency nothing passes: the curve ends.
        const double audible = std::min(hz, 0.4999 * rate);
        for (int c = 0; c < (twoChannels ? 2 : 1); ++c)
            chainDb[c][static_cast<size_t>(x)] = response::toDb(response::chain(model, c, audible));
        for (int g = 0; g < response::kGroupCount; ++g)
            if (groupShown[g])
                groupDb[g][static_cast<size_t>(x)] =
                    response::groupDb(model, bandChannel, static_cast<response::Group>(g), audible);
    }
    setDirty(true);
}

double CResponsePanel::curveDb(int channel, double hz) const
{
    if (columnHz.empty())
        return 0.0;
    const auto at = std::lower_bound(columnHz.begin(), columnHz.end(), hz);
    const size_t i = std::min(static_cast<size_t>(at - columnHz.begin()), columnHz.size() - 1);
    return chainDb[twoChannels ? channel : 0][i];
}

double CResponsePanel::spectrumDb(bool ofOutput, double hz) const
{
    const double rate = effect ? effect->getSampleRate() : 44100.0;
    return (ofOutput ? output : input).levelDb(hz, hz, rate);
}

void CResponsePanel::idle()
{
    if (curvesDue)
        computeCurves();
    if (!effect)
        return;
    SpectrumTap& tap = effect->spectrumTap();
    float block[1024];
    int n = 0, arrived = 0;
    while ((n = tap.input.pop(block, 1024)) > 0) {
        input.take(block, n);
        arrived += n;
    }
    while ((n = tap.output.pop(block, 1024)) > 0)
        output.take(block, n);
    const auto now = steady_clock::now();
    if (now - lastFrame < kFramePeriod)
        return;
    // No audio (the host stopped processing): the spectra fade out.
    if (arrived == 0) {
        static const float silence[Spectrum::kSize / 8] = {};
        input.take(silence, Spectrum::kSize / 8);
        output.take(silence, Spectrum::kSize / 8);
    }
    input.update();
    output.update();
    lastFrame = now;
    setDirty(true);
}

void CResponsePanel::drawGrid(CDrawContext* context, const CRect& plot)
{
    context->setFont(kNormalFontVerySmall);
    context->setFontColor(kLabel);
    context->setLineWidth(1);
    for (double hz : {20.0, 50.0, 100.0, 200.0, 500.0, 1000.0, 2000.0, 5000.0, 10000.0, 20000.0}) {
        const double x = std::round(xOf(hz)) + 0.5;
        context->setFrameColor(kGrid);
        context->drawLine(CPoint(x, plot.top), CPoint(x, plot.bottom));
        char text[16];
        hzLabel(hz, text, sizeof text);
        context->drawString(text, CRect(x - 20, plot.bottom + 2, x + 20, size.bottom - 2));
    }
    for (double db = -kCurveRangeDb; db <= kCurveRangeDb; db += 6.0) {
        const double y = std::round(plot.top + plot.getHeight() * (kCurveRangeDb - db) / (2 * kCurveRangeDb)) + 0.5;
        context->setFrameColor(db == 0.0 ? kZeroLine : kGrid);
        context->drawLine(CPoint(plot.left, y), CPoint(plot.right, y));
        char text[16];
        snprintf(text, sizeof text, db > 0 ? "+%g" : "%g", db);
        context->drawString(text, CRect(size.left + 2, y - 6, plot.left - 5, y + 6), kRightText);
    }
}

void CResponsePanel::drawSpectrum(CDrawContext* context, const CRect& plot, const Spectrum& s,
                                  const CColor& color, const CColor& line)
{
    const double rate = effect ? effect->getSampleRate() : 44100.0;
    std::vector<CPoint> points;
    for (double x = plot.left; x <= plot.right; x += 1.0) {
        const double low = hzAt(x - 0.5), high = hzAt(x + 0.5);
        if (low >= rate / 2)
            break;
        const double db = std::clamp(s.levelDb(low, high, rate), kSpectrumFloorDb, kSpectrumTopDb);
        points.emplace_back(x, plot.top + plot.getHeight() * (kSpectrumTopDb - db) /
                                              (kSpectrumTopDb - kSpectrumFloorDb));
    }
    context->setFillColor(color);
    context->fillUnder(points.data(), static_cast<int>(points.size()), plot.bottom);
    if (line.alpha) {
        context->setFrameColor(line);
        context->setLineWidth(1);
        context->drawPolyline(points.data(), static_cast<int>(points.size()));
    }
}

void CResponsePanel::drawCurve(CDrawContext* context, const std::vector<double>& db, const CColor& color,
                               double width)
{
    const CRect plot = plotArea();
    std::vector<CPoint> points;
    points.reserve(db.size());
    for (size_t i = 0; i < db.size(); ++i) {
        const double d = std::clamp(db[i], -kCurveRangeDb - 2, kCurveRangeDb + 2);
        points.emplace_back(plot.left + static_cast<double>(i),
                            plot.top + plot.getHeight() * (kCurveRangeDb - d) / (2 * kCurveRangeDb));
    }
    context->setFrameColor(color);
    context->setLineWidth(width);
    context->drawPolyline(points.data(), static_cast<int>(points.size()));
}

void CResponsePanel::draw(CDrawContext* context)
{
    const CRect plot = plotArea();
    context->setFillColor(kPanel);
    context->fillRect(size);
    context->setFrameColor(kEdge);
    context->setLineWidth(1);
    context->drawLine(CPoint(size.left, size.top + 0.5), CPoint(size.right, size.top + 0.5));

    context->setClipRect(plot);
    drawSpectrum(context, plot, input, kInput, kTransparentCColor);
    drawSpectrum(context, plot, output, kOutput, kOutputLine);
    context->resetClipRect();
    drawGrid(context, plot);

    context->setClipRect(plot);
    for (int g = 0; g < response::kGroupCount; ++g)
        if (groupShown[g] && g != hovered)
            drawCurve(context, groupDb[g], kBand, 1.0);
    if (hovered < response::kGroupCount && groupShown[hovered])
        drawCurve(context, groupDb[hovered], kBandLit, 1.5);
    if (twoChannels)
        drawCurve(context, chainDb[1], kRightCurve, 2.0);
    drawCurve(context, chainDb[0], kCurve, 2.0);
    context->resetClipRect();

    // What is drawn, top right; the band under the mouse, top left.
    context->setFont(kNormalFontVerySmall);
    struct Entry {
        const char* text;
        CColor color;
    };
    const Entry entries[] = {{"R", kRightCurve}, {"L", kCurve}, {"OUT", kOutputLine}, {"IN", kInputText}};
    CCoord right = plot.right - 4;
    for (const Entry& e : entries) {
        if (!twoChannels && e.text[1] == 0)
            continue;
        const CCoord w = context->getStringWidth(e.text);
        context->setFontColor(CColor(e.color.red, e.color.green, e.color.blue));
        context->drawString(e.text, CRect(right - w, plot.top + 1, right, plot.top + 12), kLeftText);
        right -= w + 10;
    }
    if (hovered < response::kGroupCount && groupShown[hovered]) {
        char text[48];
        char hz[16];
        hzLabel(std::round(groupHz[hovered]), hz, sizeof hz);
        snprintf(text, sizeof text, "%s  %sHz", kGroupNames[hovered], hz);
        context->setFontColor(kBandLit);
        context->drawString(text, CRect(plot.left + 4, plot.top + 1, plot.left + 150, plot.top + 12), kLeftText);
    }
    setDirty(false);
}

CMouseEventResult CResponsePanel::onMouseDown(CPoint& where, const long& buttons)
{
    // The window's size menu opens here too.
    if ((buttons & kRButton) && menu)
        return menu->popUpAt(where, buttons);
    return kMouseEventNotHandled;
}

CMouseEventResult CResponsePanel::onMouseMoved(CPoint& where, const long& /*buttons*/)
{
    // The shown group whose frequency lies nearest the mouse, within half a
    // decade.
    int nearest = response::kGroupCount;
    double best = 0.5;
    const double hz = hzAt(where.x);
    for (int g = 0; g < response::kGroupCount; ++g) {
        if (!groupShown[g])
            continue;
        const double d = std::fabs(std::log10(hz / groupHz[g]));
        if (d < best)
            best = d, nearest = g;
    }
    if (nearest != hovered) {
        hovered = nearest;
        setDirty(true);
    }
    return kMouseEventHandled;
}

CMouseEventResult CResponsePanel::onMouseExited(CPoint& /*where*/, const long& /*buttons*/)
{
    if (hovered != response::kGroupCount) {
        hovered = response::kGroupCount;
        setDirty(true);
    }
    return kMouseEventHandled;
}
