#include "engine/FactoryPresets.h"

#include <cstring>

#include "engine/Parameters.h"

namespace {

struct Voicing {
    const char* name;
    float hpf;
    float lf, lfFreq, lfQ, lfGain;
    float lmf, lmfFreq, lmQ, lmfGain;
    float hmf, hmfFreq, hmQ, hmfGain;
    float hf, hfFreq, hfQ, hfGain;
};

const float kThird = 0.33333334f;

const Voicing kVoicings[kNumPrograms] = {
    // name           hpf   LF on freq  Q  gain      LMF on freq  Q  gain       HMF on freq  Q  gain       HF on freq  Q  gain
    {"Default",        0.0f, 1, 0.5f,  0, 0.5f,     1, 0.5f,   0, 0.5f,     1, 0.5f,   0, 0.5f,     1, 0.5f,  0, 0.5f},
    {"C-bass Pick-up", 0.1f, 1, 0.25f, 0, 0.6333f,  1, kThird, 0, 0.4333f,  1, 0.5f,   0, 0.4333f,  1, 0.5f,  0, 0.5f},
    {"Piano",          0.1f, 1, 0.5f,  0, 0.5667f,  1, 0.5f,   1, 0.4667f,  1, 0.5f,   0, 0.5f,     1, 0.25f, 0, 0.5333f},
    {"Mild",           0.0f, 0, 0.5f,  0, 0.5f,     0, 0.5f,   0, 0.5f,     1, 0.5f,   0, 0.6333f,  1, 0.75f, 0, 0.4f},
    {"Round",          0.1f, 1, 0.25f, 0, 0.4333f,  0, 0.5f,   0, 0.5f,     1, kThird, 0, 0.6f,     1, 0.75f, 0, 0.4667f},
    {"Finish",         0.0f, 1, 0.25f, 0, 0.6f,     1, 1.0f,   0, 0.6f,     1, kThird, 1, 0.4f,     1, 0.75f, 0, 0.5333f},
};

ProgramRecord build(const Voicing& v)
{
    ProgramRecord r{};
    strncpy(r.name, v.name, kProgramNameSize - 1);
    // Indexes the voicing does not set hold 0.5, the two last hidden ones 0.
    for (float& p : r.params)
        p = 0.5f;
    r.params[40] = 0.0f;
    r.params[41] = 0.0f;

    r.params[kParamEqAll] = 1.0f;
    r.params[kParamLsr] = 0.5f;
    r.params[kParamOutput] = 0.5f;
    r.params[kParamSat] = 0.0f;
    r.params[kParamHpfFreq] = v.hpf;
    const float bands[kNumBands][4] = {{v.lf, v.lfFreq, v.lfQ, v.lfGain},
                                       {v.lmf, v.lmfFreq, v.lmQ, v.lmfGain},
                                       {v.hmf, v.hmfFreq, v.hmQ, v.hmfGain},
                                       {v.hf, v.hfFreq, v.hfQ, v.hfGain}};
    for (int b = 0; b < kNumBands; ++b)
        for (int k = 0; k < 4; ++k)
            r.params[kParamLf + 4 * b + k] = bands[b][k];
    return r;
}

struct Table {
    ProgramRecord programs[kNumPrograms];
    Table()
    {
        for (int i = 0; i < kNumPrograms; ++i)
            programs[i] = build(kVoicings[i]);
    }
};

}  // namespace

const ProgramRecord* factoryPrograms()
{
    static const Table table;
    return table.programs;
}
