#pragma once

// Added and removed, kFlush turns tiny values into zero by arithmetic, whatever the processor's modes.
constexpr double kFlush = 1e-30;

inline double flushDenormal(double v) { return v + kFlush - kFlush; }
