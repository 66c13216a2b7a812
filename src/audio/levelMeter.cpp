#include "audio/levelMeter.h"

#include <cmath>

namespace zorbel {

void LevelMeter::process(const int16_t* samples, int count)
{
    const double k = 1.0 / kLevelMeterWindow;
    double ms = meanSquare;
    for (int i = 0; i < count; ++i) {
        const double x = samples[i] / 32767.0;
        ms += (x * x - ms) * k;
    }
    meanSquare = ms;
}

float LevelMeter::level() const
{
    const double rms = std::sqrt(meanSquare);
    return rms < 1.0 ? static_cast<float>(rms) : 1.0f;
}

}  // namespace zorbel
