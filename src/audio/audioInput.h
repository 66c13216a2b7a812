// The capture stream behind the microphone meter. Platform code (or the
// headless simulator) supplies an opener for each source; the meter
// functions own the queue.
#pragma once

#include <functional>
#include <memory>

namespace zorbel {

class AudioInputQueue {
public:
    virtual ~AudioInputQueue() = default;
    // The meter's current average power, linear 0..1. False when the read fails.
    virtual bool currentAveragePower(float& power) = 0;
};

// Where the meter listens: the default microphone, or what the computer
// itself plays (the monitor of its default output).
enum class AudioSource { Microphone, Computer };

// Opens and starts a capture queue; nullptr when none can be had.
using AudioQueueOpener = std::function<std::unique_ptr<AudioInputQueue>()>;

// Installs the opener startAudioInMeter uses for a source (the one-argument
// form: the microphone's). Without one, starting that source fails silently
// and the meter stays stopped.
void setAudioQueueOpener(AudioSource source, AudioQueueOpener opener);
void setAudioQueueOpener(AudioQueueOpener opener);

}  // namespace zorbel
