// The latency of the signal path: half the saturation window (its look-ahead)
// plus the 32 host samples of the upsampler or the delay that replaces it.
#pragma once

// Host samples for a saturation window of satLength samples.
int latencyOf(int satLength);

// Host samples at a host rate.
float latencyFor(double hostRate);

// A latency in milliseconds; rates above 200000 Hz or below 20000 Hz (and
// invalid ones) are converted at 44100 Hz.
float latencyMs(float samples, double hostRate);
float latencyMs(double hostRate);
