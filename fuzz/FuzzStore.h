// What every reader fuzz target checks: a plug-in instance reads the bytes,
// and afterwards its six programs are either exactly as before or all valid
// (every value from 0 to 1). Anything else aborts, which the fuzzer reports.
#pragma once

#include <cmath>
#include <cstdlib>
#include <cstring>

#include "plugin/Sylvatone.h"

class FuzzedInstance {
public:
    FuzzedInstance() : fx(nullptr) { memcpy(before, programs(), sizeof before); }

    const ProgramRecord* programs() { return &fx.program(0); }

    // Call after the read; ok is what the reader reported.
    void check(bool taken)
    {
        const bool unchanged = memcmp(before, programs(), sizeof before) == 0;
        if (!taken && !unchanged)
            abort();  // refused, yet something changed
        for (int p = 0; p < kNumPrograms; ++p)
            for (float v : programs()[p].params)
                if (!(v >= 0.0f && v <= 1.0f))
                    abort();  // a value no reader may store
    }

    Sylvatone fx;

private:
    ProgramRecord before[kNumPrograms];
};
