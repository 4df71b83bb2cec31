// One program as it lives in memory and in old-format data: a 24-byte
// NUL-padded name and 42 normalised parameter values.
#pragma once

#include <cstdint>

constexpr int kNumPrograms = 6;
constexpr int kNumProgramParams = 42;
constexpr int kProgramNameSize = 24;

struct ProgramRecord {
    char name[kProgramNameSize];
    float params[kNumProgramParams];
};
static_assert(sizeof(ProgramRecord) == 192, "program record layout");
