// The capture stream behind the microphone meter. Platform code (or the
// headless simulator) supplies an opener; the meter functions own the queue.
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

// Opens and starts a capture queue; nullptr when none can be had.
using AudioQueueOpener = std::function<std::unique_ptr<AudioInputQueue>()>;

// Installs the opener startAudioInMeter uses. Without one, starting fails
// silently and the meter stays stopped.
void setAudioQueueOpener(AudioQueueOpener opener);

}  // namespace zorbel
