#include "engine/Response.h"

#include <array>
#include <cmath>

#include "engine/EqEngine.h"

namespace response {

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr auto rel = std::memory_order_relaxed;

// One filter's response at the angle w (radians per internal sample).
std::complex<double> filterAt(const Filter& f, double w)
{
    const Filter::Coefficients c = f.getDestination();
    const std::complex<double> z1 = std::polar(1.0, -w), z2 = z1 * z1;
    return (c.b0 + c.b1 * z1 + c.b2 * z2) / (1.0 + c.a1 * z1 + c.a2 * z2);
}

std::complex<double> groupAt(const EqChannel& ch, Group group, double w)
{
    switch (group) {
    case kLowCut:
        return filterAt(ch.lowCut, w);
    case kLf:
        return filterAt(ch.lfMain, w) * filterAt(ch.lfComp, w);
    case kLmf:
        return filterAt(ch.lmfMain, w) * filterAt(ch.lmfComp, w);
    case kHmf:
        return filterAt(ch.hmfMain, w) * filterAt(ch.hmfComp, w);
    case kHf:
        return filterAt(ch.hfMain, w) * filterAt(ch.hfComp, w);
    default:
        return 1.0;
    }
}

// Everything between interpolation and decimation, at the internal angle w.
std::complex<double> insideAt(const EqEngine& engine, int channel, double w)
{
    const EqChannel& ch = engine.channel(channel);
    std::complex<double> h = engine.paramState().outputGainTarget.load(rel) * groupAt(ch, kLowCut, w);
    if (bandsRun(engine, channel))
        for (int g = kLf; g <= kHf; ++g)
            h *= groupAt(ch, static_cast<Group>(g), w);
    return h;
}

// The interpolator's zero-phase response at the internal angle w: the
// taps g(-63) .. g(63), g(-i) = g(i).
double interpolatorAt(double w)
{
    static const std::array<double, 64> taps = upsamplerTaps();
    double sum = taps[0];
    for (int i = 1; i < 64; ++i)
        if (taps[i] != 0.0)
            sum += 2.0 * taps[i] * std::cos(i * w);
    return sum;
}

}  // namespace

bool bandsRun(const EqEngine& engine, int channel)
{
    const ParamState& p = engine.paramState();
    if (p.eqAllOn.load(rel) == 0)
        return false;
    return channel == 0 ? p.processLeft.load(rel) != 0 : p.processRight.load(rel) != 0;
}

std::complex<double> chain(const EqEngine& engine, int channel, double hz)
{
    const double w = 2.0 * kPi * hz / engine.getInternalRate();
    if (!engine.isOversampling())
        return insideAt(engine, channel, w);
    // Upsampling puts the host's spectrum and its image half a turn away
    // through the interpolator; decimation folds both back and halves them.
    return 0.5 * (interpolatorAt(w) * insideAt(engine, channel, w) +
                  interpolatorAt(w + kPi) * insideAt(engine, channel, w + kPi));
}

double groupDb(const EqEngine& engine, int channel, Group group, double hz)
{
    const double w = 2.0 * kPi * hz / engine.getInternalRate();
    return toDb(groupAt(engine.channel(channel), group, w));
}

bool groupActive(const EqEngine& engine, int channel, Group group)
{
    const EqChannel& ch = engine.channel(channel);
    switch (group) {
    case kLowCut:
        return ch.lowCut.getStatus() != 0;
    case kLf:
        return bandsRun(engine, channel) && ch.lfMain.getStatus() != 0;
    case kLmf:
        return bandsRun(engine, channel) && ch.lmfMain.getStatus() != 0;
    case kHmf:
        return bandsRun(engine, channel) && ch.hmfMain.getStatus() != 0;
    case kHf:
        return bandsRun(engine, channel) && ch.hfMain.getStatus() != 0;
    default:
        return false;
    }
}

double groupFrequency(const EqEngine& engine, int channel, Group group)
{
    const EqChannel& ch = engine.channel(channel);
    const Filter* main[kGroupCount] = {&ch.lowCut, &ch.lfMain, &ch.lmfMain, &ch.hmfMain, &ch.hfMain};
    return main[group]->getFreq();
}

}  // namespace response
