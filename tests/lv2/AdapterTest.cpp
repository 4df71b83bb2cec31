// The LV2 edition's port conversion: port values in natural units to the
// engine's normalised values, as the editor writes them.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "engine/Parameters.h"
#include "engine/FactoryPresets.h"
#include "lv2/Ports.h"

namespace {

const lv2ports::ControlPort* ports(int* count)
{
    return lv2ports::controlPorts(count);
}

const lv2ports::ControlPort& port(const char* symbol)
{
    int n = 0;
    const lv2ports::ControlPort* all = ports(&n);
    for (int i = 0; i < n; ++i)
        if (std::string(all[i].symbol) == symbol)
            return all[i];
    ADD_FAILURE() << "no port " << symbol;
    return all[0];
}

float decoded(int param, float normalised)
{
    ParamState s;
    decodeParameter(s, param, normalised);
    return parameterValue(s, param);
}

TEST(Lv2Ports, ValuesDecodeAsTheEditorWritesThem)
{
    // Between table entries the nearest; gains snap to half decibels; values
    // out of range or not numbers take the ends.
    EXPECT_FLOAT_EQ(lv2ports::toNormalised(port("lmffreq"), 420), 0.5f);
    EXPECT_FLOAT_EQ(lv2ports::toNormalised(port("lmffreq"), 5), 0.0f);
    EXPECT_FLOAT_EQ(lv2ports::toNormalised(port("lfgain"), 3.3f), 18.5f / 30);
    EXPECT_FLOAT_EQ(lv2ports::toNormalised(port("lfgain"), -40), 0.0f);
    EXPECT_FLOAT_EQ(lv2ports::toNormalised(port("lfgain"), NAN), 0.0f);
    EXPECT_EQ(lv2ports::toNormalised(port("l_s_r"), 2), 1.0f);
    EXPECT_EQ(lv2ports::toNormalised(port("sat"), 0.2f), 0.0f);

    // Every table entry and half decibel decodes to itself.
    int n = 0;
    const lv2ports::ControlPort* all = ports(&n);
    for (int i = 0; i < n; ++i) {
        const auto& p = all[i];
        if (p.style == lv2ports::Style::Table) {
            for (int k = 0; k < p.table.count; ++k)
                EXPECT_EQ(decoded(p.param, lv2ports::toNormalised(p, p.table.values[k])),
                          static_cast<float>(p.table.values[k])) << p.symbol << " " << k;
        }
        if (p.style == lv2ports::Style::Decibels && p.param != kParamOutput) {
            for (int h = -30; h <= 30; ++h)
                EXPECT_EQ(decoded(p.param, lv2ports::toNormalised(p, h * 0.5f)), h * 0.5f) << p.symbol;
        }
    }
}

TEST(Lv2Ports, FactoryValuesSurviveTheTripThroughPortValues)
{
    int n = 0;
    const lv2ports::ControlPort* all = ports(&n);
    for (int prog = 0; prog < kNumPrograms; ++prog)
        for (int i = 0; i < n; ++i) {
            const float v = factoryPrograms()[prog].params[all[i].param];
            const float back = lv2ports::toNormalised(all[i], lv2ports::fromNormalised(all[i], v));
            EXPECT_EQ(decoded(all[i].param, back), decoded(all[i].param, v))
                << factoryPrograms()[prog].name << " " << all[i].symbol;
        }
    // The output reads back in dB, not as its linear gain.
    EXPECT_EQ(lv2ports::fromNormalised(port("output"), 0.7f), 6.0f);
}

}  // namespace
