// The microphone: a level meter polled once per frame, the beat detector
// fed by it, and the microphone preferences.
#pragma once

#include "audio/audioInput.h"

namespace zorbel {

// Starts the meter unless the user switched the microphone off, and loads
// the sensitivity. Returns 1.
int initAudioInMeter();

// Starts (or restarts) capture from the chosen source. remember > 0 stores
// "DISABLE_MIC" = false after a successful start.
void startAudioInMeter(int remember);

// Stops capture; remember > 0 stores "DISABLE_MIC" = true. Does nothing at
// all while stopped.
void stopAudioInMeter(int remember);

int audioInMeterIsRunning();

// True when the user switched listening off ("DISABLE_MIC").
bool listeningSwitchedOff();

// The source chosen under "LISTEN_TO": "computer", else "microphone" (the
// default, also for a missing or unknown value).
AudioSource getAudioSource();

// Listens to `source` from now on. Only once it has opened does the capture
// that ran before stop, and "LISTEN_TO" and "DISABLE_MIC" = false are stored.
// False when it cannot be opened: then nothing changes at all.
bool listenToAudioSource(AudioSource source);

// The meter's average power, linear 0..1; 0 while stopped or when the read fails.
float getAverageAudioPower();

// Interruption begins (state 1): stop. Ends (state 0): start again unless
// the user switched the microphone off.
void interruptionListenerCallback(void* userData, unsigned int state);

// Least level range the beat detector divides by; 0.02 (most sensitive) to
// 0.15 (least), 0.04 by default.
extern float g_minDyn;

// One call per frame with the meter's average power (linear, 0..1).
// Returns 1.0 on a beat, 0.5 on a half-beat, 0 otherwise or without music.
float getAudioBeat(float level);

// Sensitivity 0 (least) .. 100 (most); sets g_minDyn and stores "MIN_DYN".
void setMicSensitivity(float sensitivity);
float getMicSensitivity();

// Loads g_minDyn from "MIN_DYN": absent, 0, negative or not a finite number
// give the default 0.04.
void loadMicSensitivity();

}  // namespace zorbel
