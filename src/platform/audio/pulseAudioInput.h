// "This computer's sound": the monitor of the default output, captured
// through libpulse (PulseAudio, and PipeWire's server of the same protocol)
// at 8000 Hz, mono, signed 16-bit; the server resamples. The capture follows
// the default output when it changes. The level meter runs on libpulse's
// thread and shares one atomic level with the main thread.
#pragma once

#include "audio/audioInput.h"

#include <cstdint>
#include <functional>
#include <memory>

namespace zorbel {

// Called on libpulse's thread, once, when the server of a running capture
// goes away; the argument is that capture's id.
using SoundServerGone = std::function<void(uint32_t capture)>;

// Connects to the sound server (never starting one) and starts capturing.
// nullptr, with one log line giving the reason, when no server answers
// within a couple of seconds.
std::unique_ptr<AudioInputQueue> openPulseAudioInput(SoundServerGone gone);

// The id of the capture that runs now; 0 when none.
uint32_t runningSoundServerCapture();

// Whether a sound server answers now: a short connection, nothing logged.
bool soundServerAnswers();

}  // namespace zorbel
