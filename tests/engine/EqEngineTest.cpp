// The signal path on its own, as any plug-in format drives it.
#include <limits>

#include <gtest/gtest.h>

#include "engine/EqEngine.h"
#include "engine/FactoryPresets.h"
#include "tests/engine/Signals.h"

namespace {

// An engine at rate with a factory program's values, resumed.
void start(EqEngine& e, int program, double rate = 44100.0)
{
    for (int i = 0; i < kNumParams; ++i)
        e.setParameter(i, factoryPrograms()[program].params[i]);
    e.suspend();
    e.resume(rate);
}

}  // namespace

// NaN and infinity on the paths that run one channel's filters one after
// another (mono, and stereo with only one channel equalised): every filter
// clears its history, so the output comes back.
TEST(EqEngine, FiltersRecoverFromNonFiniteInputOnEveryPath)
{
    auto x = sine(512, 200.0, 44100.0, 0.5);
    x[100] = std::numeric_limits<double>::quiet_NaN();
    x[300] = std::numeric_limits<double>::infinity();
    const auto clean = sine(22050, 200.0, 44100.0, 0.5);
    for (int path = 0; path < 2; ++path) {
        EqEngine e;
        start(e, 2);
        if (path == 1)
            e.setParameter(kParamLsr, 0.0f);  // left only: the channels run apart
        std::vector<double> out(x.size()), outR(x.size()), y(clean.size()), yR(clean.size());
        if (path == 0) {
            e.processMono(x.data(), out.data(), outR.data(), int(x.size()));
            e.processMono(clean.data(), y.data(), yR.data(), int(clean.size()));
        } else {
            e.processStereo(x.data(), x.data(), out.data(), outR.data(), int(x.size()));
            e.processStereo(clean.data(), clean.data(), y.data(), yR.data(), int(clean.size()));
        }
        for (size_t i = 8000; i < y.size(); ++i)  // also false for NaN
            ASSERT_TRUE(std::fabs(y[i]) < 2.0 && std::fabs(yR[i]) < 2.0) << "path " << path << " at " << i;
    }
}
