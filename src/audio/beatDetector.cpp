// Beat detection from one level per frame: onsets against the tracked level
// range, their average rate tunes a two-pole resonator, whose peaks are beats.
#include "audio/beatDetector.h"

#include "audio/audioInMeter.h"

#include <cmath>

namespace zorbel {

float beatDetectorStep(BeatDetector& d, float x, float minDyn)
{
    if (d.INIT) {
        d = BeatDetector();
        d.INIT = 0;
    }
    // Not a number, or infinite: either would poison the state for good.
    if (!std::isfinite(x))
        return 0.0f;

    d.lpVal += (x - d.lpVal) * 0.1f;

    if (x < d.minVal)
        d.minVal = x;
    if (x > d.maxVal)
        d.maxVal += (x - d.maxVal) * 0.02f;
    d.minVal += (x - d.minVal) * 0.01f;
    d.maxVal += (x - d.maxVal) * 0.01f;

    float range = d.maxVal - d.minVal;
    if (range < minDyn)
        range = minDyn;
    const float e = (x - d.lpVal) / range;

    int candidate = 0;
    if (d.armed && e > 0.15f) {
        d.armed = 0;
        candidate = 1;
    }
    if (x < d.lpVal)
        d.armed = 1;
    d.avgCandidatePerFrame += (static_cast<float>(candidate) - d.avgCandidatePerFrame) * 0.01f;

    // Resonator tuned to the onset rate, in cycles per frame.
    const double y = (e + ((2 * d.alpha) * cos(6.2832 * static_cast<double>(d.avgCandidatePerFrame))) * d.resOut[1]) -
                     (d.alpha * d.alpha) * d.resOut[2];
    d.resOut[0] = y;
    const double y1 = d.resOut[1];
    const double y2 = d.resOut[2];
    float result = 0.0f;
    if (y <= y1 && y1 > y2 && y1 > 0)
        result = 1.0f;
    else if (y >= y1 && y1 < y2 && y1 < 0)
        result = 0.5f;
    d.avgBeatPerFrame += ((result == 1.0f ? 1.0f : 0.0f) - d.avgBeatPerFrame) * 0.01f;
    d.resOut[2] = y1;
    d.resOut[1] = y;

    const bool quiet = d.avgBeatPerFrame < d.minBpf || d.avgCandidatePerFrame < d.minBpf;
    if (quiet) {
        if (!d.isMusic) {
            d.isMusicHyst = 0;
        } else if (--d.isMusicHyst < 0) {
            d.isMusicHyst = 0;
            d.isMusic = 0;
            d.resOut[1] = 0.0;
            d.resOut[2] = 0.0;
        }
    } else {
        if (d.isMusic) {
            d.isMusicHyst = 30;
        } else if (++d.isMusicHyst > 30) {
            d.isMusicHyst = 30;
            d.isMusic = 1;
        }
    }
    return d.isMusic == 1 ? result : 0.0f;
}

float getAudioBeat(float level)
{
    static BeatDetector detector;
    return beatDetectorStep(detector, level, g_minDyn);
}

}  // namespace zorbel
