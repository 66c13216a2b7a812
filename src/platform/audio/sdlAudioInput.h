// Microphone capture through SDL2: 8000 Hz, mono, signed 16-bit, with the
// level meter computed on SDL's audio thread. The meter's level is the only
// thing that thread shares with the main thread, through one atomic.
#pragma once

#include "audio/audioInput.h"

#include <cstdint>
#include <memory>

namespace zorbel {

// Opens and starts the default capture device. nullptr, with one log line,
// when there is none or it cannot be opened.
std::unique_ptr<AudioInputQueue> openSdlAudioInput();

// The SDL device id of the capture that runs now, 0 when none: device
// removal events name it.
uint32_t runningCaptureDevice();

// The SDL capture callback: meters the samples it is handed.
void recordingCallback(void* userData, uint8_t* stream, int length);

}  // namespace zorbel
