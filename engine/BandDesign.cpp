// The band design: turns the decoded parameters into settings of the low cut
// and of each band's main and companion filters. Each setter starts a glide
// towards the new response (or jumps, between suspend and resume).
#include <cmath>

#include "engine/EqEngine.h"

namespace {

constexpr auto rel = std::memory_order_relaxed;

// Y of the bell-width law: the gain at which the widths reach their base.
const double kY = std::pow(2.0, 2.5);

struct BandView {
    int on;
    double freq;
    int narrow;
    double gain;
    double k;  // 2 when narrow, else 1
    double X;  // 10 ^ (|g| / 20)
};

BandView view(const BandState& b)
{
    BandView v;
    v.on = b.on.load(rel);
    v.freq = b.freq.load(rel);
    v.narrow = b.narrow.load(rel);
    v.gain = b.gain.load(rel);
    v.k = v.narrow != 0 ? 2.0 : 1.0;
    v.X = std::pow(10.0, std::fabs(v.gain) / 20.0);
    return v;
}

// Bell Q of the mid bands: 2 (base k) X^p / (2 Y^p), narrower as the gain grows.
double bellQ(double base, double k, double X, double p)
{
    return 2.0 * (base * k) * std::pow(X, p) / (2.0 * std::pow(kY, p));
}

}  // namespace

void EqEngine::rateFilters(Filter* const* filters, int count)
{
    for (int i = 0; i < count; ++i)
        if (filters[i]->getSampleRate() != internalRate)
            filters[i]->setSampleRate(internalRate);
}

void EqEngine::updateLowCut()
{
    Filter* f[2] = {&channels[0].lowCut, &channels[1].lowCut};
    rateFilters(f, 2);
    const double hpf = params.hpfFreq.load(rel);
    const int eqAll = params.eqAllOn.load(rel);
    const int enable = params.lowCutEnable.load(rel);
    const int status[2] = {enable * params.processLeft.load(rel) * eqAll,
                           enable * params.processRight.load(rel) * eqAll};
    for (int c = 0; c < 2; ++c) {
        Filter::Settings s;
        s.type = Filter::kHighPass;
        s.q = hpf < 10.0 ? 0.5 : hpf < 40.0 ? 0.6 : 0.705;
        s.freq = eqAll ? 0.71 * hpf : 2.13;
        s.status = status[c];
        f[c]->apply(s, c > 0 ? f[0] : nullptr);
    }
}

// LF and HF share one shape: a broad bell shaped by a narrower companion for
// boosts, a shelf alone for cuts.
void EqEngine::updateShelfBand(int band, int shelfType, double cutFreqFactor)
{
    const BandView b = view(params.bands[band]);
    const bool lf = band == kBandLf;
    Filter::Settings m, c;
    m.type = Filter::kPeaking;
    c.type = Filter::kPeaking;
    if (b.on == 0) {
        m.status = 0;
        c.status = 0;
    } else if (b.gain >= 0.0) {
        m.status = 1;
        m.freq = b.freq;
        m.q = lf ? (b.narrow ? 0.8 : 0.4) : (b.narrow ? 0.84 : 0.42);
        m.gain = b.gain;
        c.status = 1;
        c.freq = b.freq;
        c.gain = -0.15 * b.gain;
    } else {
        m.status = 1;
        m.type = shelfType;
        m.freq = cutFreqFactor * b.freq;
        if (lf)
            m.q = b.narrow ? 0.8 : 0.4;
        else
            m.q = std::pow(0.65, b.gain / -15.0) * (b.narrow ? 1.1 : 0.55);
        m.gain = b.gain;
        c.status = 0;
    }
    const bool companionFollows = b.on != 0 && b.gain >= 0.0;
    const double root = std::sqrt(b.k);
    // The right channel's filters take the left's response over.
    const Filter* twin[2] = {nullptr, nullptr};
    for (EqChannel& ch : channels) {
        Filter& main = lf ? ch.lfMain : ch.hfMain;
        Filter& comp = lf ? ch.lfComp : ch.hfComp;
        Filter* f[2] = {&main, &comp};
        rateFilters(f, 2);
        main.apply(m, twin[0]);
        if (companionFollows)
            c.q = root * main.getQ() * 2.8;
        comp.apply(c, twin[1]);
        twin[0] = &main;
        twin[1] = &comp;
    }
}

void EqEngine::updateLowShelf()
{
    updateShelfBand(kBandLf, Filter::kLowShelf, 2.0);
}

void EqEngine::updateHighShelf()
{
    updateShelfBand(kBandHf, Filter::kHighShelf, 0.5);
}

// LMF and HMF: bells whose widths follow the gain; cuts deepen the main bell
// and widen the companion.
void EqEngine::updateBellBand(int band, const BellLaw& boost, const BellLaw& cut)
{
    const BandView b = view(params.bands[band]);
    const bool lmf = band == kBandLmf;
    const BellLaw& law = b.gain >= 0.0 ? boost : cut;
    const double mainGain = law.gainScale * b.gain;
    Filter::Settings m, c;
    m.status = b.on;
    m.freq = b.freq;
    m.q = bellQ(law.base, b.k, b.X, law.power);
    m.gain = mainGain;
    if (lmf)
        c.type = Filter::kPeaking;
    c.status = b.on;
    c.freq = b.freq;
    c.gain = law.companionGain * mainGain;
    const double root = std::pow(b.k, 0.25);
    // The right channel's filters take the left's response over.
    const Filter* twin[2] = {nullptr, nullptr};
    for (EqChannel& ch : channels) {
        Filter& main = lmf ? ch.lmfMain : ch.hmfMain;
        Filter& comp = lmf ? ch.lmfComp : ch.hmfComp;
        Filter* f[2] = {&main, &comp};
        rateFilters(f, 2);
        main.apply(m, twin[0]);
        c.q = root * main.getQ() * law.companionWidth;
        comp.apply(c, twin[1]);
        twin[0] = &main;
        twin[1] = &comp;
    }
}

void EqEngine::updateLowMid()
{
    static const BellLaw boost{0.42, 0.3, 2.8, 1.0, -0.15};
    static const BellLaw cut{0.71, 0.6, 0.35, 1.37, -0.27};
    updateBellBand(kBandLmf, boost, cut);
}

void EqEngine::updateMid()
{
    static const BellLaw boost{0.37, 0.2, 2.8, 1.0, -0.15};
    static const BellLaw cut{0.71, 0.4, 0.35, 1.33, -0.25};
    updateBellBand(kBandHmf, boost, cut);
}
