// The microphone in the browser: getUserMedia with the browser's echo
// cancellation, noise suppression and automatic gain off (they would flatten
// the beats), taken at 8000 Hz mono and metered by the desktop's level meter.
// The page's audio runs on its main thread, so the meter does too.
#pragma once

#include "audio/audioInput.h"

#include <functional>
#include <memory>

namespace zorbel {

// Why the microphone went silent.
enum class MicrophoneTrouble {
    None,          // no microphone, or the browser offers no capture
    Refused,       // the user or the browser's settings said no
    Disconnected,  // it was unplugged, or the browser took it away
    HeldBack,      // the browser keeps its sound from running (no sound device, or it wants a gesture)
};

// Starts asking for the microphone and returns its queue at once: it reads
// 0 until the browser hands the sound over. Called inside a touch, a click
// or a key press, so that the browser lets the sound run. `trouble` is
// called (once, on the main thread) when the microphone cannot be heard.
std::unique_ptr<AudioInputQueue> openWebAudioInput(std::function<void(MicrophoneTrouble)> trouble);

// Inside a touch, a click or a key press: sound the browser holds back is
// asked to run again (HeldBack is told again if it still does not).
void resumeWebAudioInputs();

}  // namespace zorbel
