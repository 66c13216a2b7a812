// The beat detector's state and step, as plain data and a free function so
// that tests can run their own instances; getAudioBeat owns the program's one.
#pragma once

namespace zorbel {

struct BeatDetector {
    int INIT = 1;
    float lpVal = 0.0f;                 // low-passed level
    float minVal = 0.0f;                // tracked floor
    float maxVal = 1.0f;                // tracked ceiling
    int armed = 1;                      // a new onset may be reported
    float avgCandidatePerFrame = 0.0f;  // running average of onsets per frame
    float avgBeatPerFrame = 0.0f;       // running average of positive peaks per frame
    double alpha = 0.98;                // resonator pole radius
    double resOut[3] = {0.0, 0.0, 0.0};
    float minBpf = 0.02f;  // least rate that still counts as music
    int isMusic = 0;
    int isMusicHyst = 0;  // 0..30 frames of hysteresis
};

// One frame. minDyn is the least level range used for normalising.
float beatDetectorStep(BeatDetector& d, float level, float minDyn);

}  // namespace zorbel
