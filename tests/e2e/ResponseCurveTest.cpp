// The response curve the window draws, computed from the filters' target
// coefficients, against the response the command-line host measures with
// an impulse through the built plug-in: every factory program and random
// settings, at the common host rates, 20 Hz to 20 kHz.
#include <cmath>
#include <random>
#include <string>

#include <gtest/gtest.h>

#include "engine/EqEngine.h"
#include "engine/FactoryPresets.h"
#include "engine/Response.h"
#include "host/PluginHost.h"
#include "host/Processing.h"
#include "host/Response.h"

namespace {

// The curve of the settings the plug-in holds, from an engine of its own
// given the same values, as the window computes it.
void expectCurveMatches(PluginHost& host, double rate, const std::string& what)
{
    restartPlugin(host);
    const MagnitudeResponse measured = measureResponse(host, rate);
    EqEngine model;
    for (int i = 0; i < kNumParams; ++i)
        model.setParameter(i, host.getParameter(i));
    model.resume(rate);
    double worst = 0.0, at = 0.0;
    for (int c = 0; c < 2; ++c)
        for (double f = 20.0; f <= 20000.0 && f < rate / 2; f *= std::pow(2.0, 1.0 / 24)) {
            const double d = std::fabs(response::toDb(response::chain(model, c, f)) - measured.db(c, f));
            if (d > worst)
                worst = d, at = f;
        }
    EXPECT_LE(worst, 0.05) << what << " at " << rate << " Hz: " << worst << " dB off at " << at << " Hz";
}

}  // namespace

TEST(ResponseCurve, EqualsTheMeasuredResponse)
{
    std::mt19937 random(20261207);
    for (double rate : {44100.0, 48000.0, 96000.0}) {
        std::string error;
        auto host = PluginHost::load(SYLVATONE_PLUGIN_PATH, &error);
        ASSERT_TRUE(host) << error;
        startPlugin(*host, rate, 512, 2);
        for (int p = 0; p < kNumPrograms; ++p) {
            for (int i = 0; i < kNumProgramParams; ++i)
                host->setParameter(i, factoryPrograms()[p].params[i]);
            expectCurveMatches(*host, rate, factoryPrograms()[p].name);
        }
        // Random positions of every control, saturation off (it shapes
        // levels, not the response); the channel selector and the master
        // switch included.
        for (int round = 0; round < 4; ++round) {
            for (int i = 0; i < kNumParams; ++i) {
                ParamSteps steps;
                if (i == kParamSat || !parameterSteps(i, &steps))
                    continue;
                const int n = static_cast<int>(std::lround(1.0 / steps.step));
                host->setParameter(i, static_cast<float>(random() % (n + 1)) / static_cast<float>(n));
            }
            host->setParameter(kParamSat, 0.0f);
            expectCurveMatches(*host, rate, "random settings " + std::to_string(round));
        }
    }
}
