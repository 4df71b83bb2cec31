// Suspend and resume: jump mode and glides. (Rates: ProcessingTest.)
#include <cmath>

#include <gtest/gtest.h>

#include "EngineHarness.h"

TEST(Lifecycle, SuspendedChangesJumpResumedChangesGlide)
{
    EngineHarness h;
    const Filter& lf = h.fx.channel(0).lfMain;
    std::vector<double> silence(16, 0.0);
    auto setGain = [&](float value) {
        h.fx.setParameter(kParamLfGain, value);
        h.run(silence, silence);
        return lf.rampRemaining();
    };
    EXPECT_GT(setGain(1.0f), 0u);
    h.fx.suspend();
    EXPECT_EQ(setGain(0.0f), 0u);
    EXPECT_EQ(lf.getGain(), -15.0);
    // A second resume without suspend recomputes and keeps gliding.
    h.fx.resume();
    h.fx.resume();
    EXPECT_GT(setGain(0.5f), 0u);
}

