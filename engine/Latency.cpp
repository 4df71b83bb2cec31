#include "engine/Latency.h"

#include "engine/Oversampler.h"
#include "engine/Saturator.h"

int latencyOf(int satLength)
{
    return satLength / 2 + Upsampler::kDelay;
}

float latencyFor(double hostRate)
{
    return static_cast<float>(latencyOf(satLengthFor(hostRate)));
}

float latencyMs(float samples, double hostRate)
{
    const double r = hostRate >= 20000.0 && hostRate <= 200000.0 ? hostRate : 44100.0;
    return samples * 1000 / static_cast<float>(r);
}

float latencyMs(double hostRate)
{
    return latencyMs(latencyFor(hostRate), hostRate);
}
