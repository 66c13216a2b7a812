#include "audio/interruptions.h"

#include "audio/audioInMeter.h"

namespace zorbel {

namespace {
const unsigned kBeginInterruption = 1;
const unsigned kEndInterruption = 0;
}  // namespace

void AudioInterruptions::captureDeviceRemoved(uint32_t device, uint32_t runningDevice)
{
    if (device != 0 && device == runningDevice)
        interruptionListenerCallback(nullptr, kBeginInterruption);
}

void AudioInterruptions::captureDeviceAdded()
{
    if (getAudioSource() == AudioSource::Microphone)
        interruptionListenerCallback(nullptr, kEndInterruption);
}

void AudioInterruptions::soundServerGone(uint32_t capture, uint32_t runningCapture)
{
    if (capture != 0 && capture == runningCapture)
        interruptionListenerCallback(nullptr, kBeginInterruption);
}

bool AudioInterruptions::awaitingSoundServer() const
{
    return !inBackground && getAudioSource() == AudioSource::Computer && !audioInMeterIsRunning() &&
           !listeningSwitchedOff();
}

void AudioInterruptions::soundServerBack()
{
    interruptionListenerCallback(nullptr, kEndInterruption);
}

void AudioInterruptions::willEnterBackground()
{
    inBackground = true;
    interruptionListenerCallback(nullptr, kBeginInterruption);
}

void AudioInterruptions::didEnterForeground()
{
    if (!inBackground)
        return;
    inBackground = false;
    interruptionListenerCallback(nullptr, kEndInterruption);
}

}  // namespace zorbel
