// One program as it lives in memory and in old-format data: a 24-byte
// NUL-padded name and 42 normalised parameter values.
#pragma once

#include <cmath>
#include <cstdint>

constexpr int kNumPrograms = 6;
constexpr int kNumProgramParams = 42;
constexpr int kProgramNameSize = 24;

struct ProgramRecord {
    char name[kProgramNameSize];
    float params[kNumProgramParams];
};
static_assert(sizeof(ProgramRecord) == 192, "program record layout");

// Every value crossing a boundary (host, editor, programs, stored data) is a
// normalised float from 0 to 1. A finite value outside is clamped into that
// range; NaN and the infinities are not values at all (false).
inline bool normaliseValue(float& v)
{
    if (!std::isfinite(v))
        return false;
    v = v < 0.0f ? 0.0f : v > 1.0f ? 1.0f : v;
    return true;
}
