#include "lv2/Ports.h"

#include <cctype>
#include <cmath>

namespace lv2ports {

namespace {

constexpr float kGainLimitDb = 15.0f;

struct Ports {
    ControlPort ports[kMaxControls];
    int count = 0;

    Ports()
    {
        for (int i = 0; i < kNumParams; ++i) {
            const ParamInfo& info = kParamInfo[i];
            // Placeholders and hidden values have no name and steer nothing
            // a user sets; the low-cut enable stays as the programs set it.
            if (info.name[0] == '\0' || info.kind == ParamKind::LowCutEnable)
                continue;
            ControlPort& p = ports[count++];
            p = {};
            p.param = i;
            p.name = info.name;
            int n = 0;
            for (const char* c = info.name; *c && n + 1 < static_cast<int>(sizeof p.symbol); ++c)
                p.symbol[n++] = isalnum(static_cast<unsigned char>(*c))
                                    ? static_cast<char>(tolower(static_cast<unsigned char>(*c)))
                                    : '_';
            switch (info.kind) {
            case ParamKind::ChannelSelect:
                p.style = Style::Channels;
                p.minimum = 0;
                p.maximum = 2;
                break;
            case ParamKind::OutputGain:
            case ParamKind::BandGain:
                p.style = Style::Decibels;
                p.minimum = -kGainLimitDb;
                p.maximum = kGainLimitDb;
                break;
            case ParamKind::LowCutFreq:
            case ParamKind::BandFreq:
                p.style = Style::Table;
                p.table = info.kind == ParamKind::LowCutFreq ? FreqTable{hpfFreqArr, 11}
                                                             : kBandFreqTables[info.band];
                p.minimum = static_cast<float>(p.table.values[0]);
                p.maximum = static_cast<float>(p.table.values[p.table.count - 1]);
                break;
            default:
                p.style = Style::Toggle;
                p.minimum = 0;
                p.maximum = 1;
                break;
            }
        }
    }
};

const Ports& all()
{
    static const Ports ports;
    return ports;
}

}  // namespace

const ControlPort* controlPorts(int* count)
{
    *count = all().count;
    return all().ports;
}

float toNormalised(const ControlPort& port, float value)
{
    if (!std::isfinite(value))
        value = port.minimum;
    value = std::fmin(std::fmax(value, port.minimum), port.maximum);
    switch (port.style) {
    case Style::Toggle:
        return value >= 0.5f ? 1.0f : 0.0f;
    case Style::Channels:
        return static_cast<float>(std::lround(value)) / 2.0f;
    case Style::Decibels: {
        const double db = std::round(static_cast<double>(value) / 0.5) * 0.5;
        return static_cast<float>((db + kGainLimitDb) / (2 * kGainLimitDb));
    }
    case Style::Table: {
        int best = 0;
        for (int k = 1; k < port.table.count; ++k)
            if (std::fabs(port.table.values[k] - value) < std::fabs(port.table.values[best] - value))
                best = k;
        return static_cast<float>(best) / static_cast<float>(port.table.count - 1);
    }
    }
    return 0.0f;
}

float fromNormalised(const ControlPort& port, float normalised)
{
    ParamState state;
    decodeParameter(state, port.param, normalised);
    const float value = parameterValue(state, port.param);
    switch (port.style) {
    case Style::Toggle:
    case Style::Table:
        return value;
    case Style::Channels: {
        const float raw = state.rawValues[port.param].load(std::memory_order_relaxed);
        return raw < 0.25f ? 0.0f : raw < 0.75f ? 1.0f : 2.0f;
    }
    case Style::Decibels:
        // The output reads back as a linear gain, the bands in dB.
        if (kParamInfo[port.param].kind == ParamKind::OutputGain)
            return static_cast<float>(std::round(6.0 * std::log2(static_cast<double>(value)) * 2.0) / 2.0);
        return value;
    }
    return 0.0f;
}

}  // namespace lv2ports
