// Recordings for the dancing tests, made with sox, and how to judge the beats
// heard in them. Raw files are 8000 Hz mono signed 16-bit little-endian.
#pragma once

#include "testHome.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace zorbel::test {

// A click every beat (30 ms of 1200 Hz) over a quiet pink-noise bed.
std::string clickTrack(int bpm, int seconds);

// The in-game music of a Debian game package (chromium-bsu-data): a loop of
// 16 beats, played `times` times in a row. Its tempo is musicBpm().
std::string musicTrack(int times);
double musicBpm();

// Median number of frames between the frames in which beats fell.
double medianInterval(const std::vector<int>& beats);

// Beats at the tempo, or at a clean half or double of it, within 10%, at 60 frames a second.
::testing::AssertionResult atTempo(double framesPerBeat, double bpm);

}  // namespace zorbel::test
