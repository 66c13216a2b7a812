// The microphone's level meter: the RMS of the 16-bit samples over an
// exponential window, linear, 0 for silence to 1 for a full-scale signal.
// It runs on whichever thread delivers the samples.
#pragma once

#include <cstdint>

namespace zorbel {

// Time constant of the window in samples: 300 ms at 8000 Hz, the integration
// time of a VU meter. The beat detector locks onto beats from 90 to 150 a
// minute with it; a much shorter window lets the random swell of a steady
// noise look like beats, and the detector would call a fan or rain music.
constexpr int kLevelMeterWindow = 2400;

struct LevelMeter {
    double meanSquare = 0.0;  // running mean of the squared samples, full scale = 1

    void process(const int16_t* samples, int count);
    float level() const;
};

}  // namespace zorbel
