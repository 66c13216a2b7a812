// Where the app listens: the microphone through SDL, this computer's sound
// through the sound server. The server going away interrupts listening; while
// it is away, a cheap check every couple of seconds notices its return.
#include "app/desktopApp.h"

#include "audio/audioInMeter.h"
#include "platform/audio/pulseAudioInput.h"
#include "platform/audio/sdlAudioInput.h"

namespace zorbel {

namespace {
const double kSoundServerCheck = 2.0;  // seconds between checks while it is away
}  // namespace

void DesktopApp::startListening()
{
    setAudioQueueOpener(AudioSource::Microphone, openSdlAudioInput);
    setAudioQueueOpener(AudioSource::Computer, [this] {
        return openPulseAudioInput([this](uint32_t capture) {  // on libpulse's thread
            runOnMainThread([this, capture] { interruptions.soundServerGone(capture, runningSoundServerCapture()); });
        });
    });
    soundServerTimer = runLoop.addRepeatingTimer(kSoundServerCheck, [this] {
        if (interruptions.awaitingSoundServer() && soundServerAnswers())
            interruptions.soundServerBack();
    });
}

}  // namespace zorbel
