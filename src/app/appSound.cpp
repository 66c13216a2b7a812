// Where the app listens: the microphone through SDL, this computer's sound
// through the sound server. The server going away interrupts listening; while
// it is away, a short check every couple of seconds, on a thread of its own
// so that a server slow to answer never holds up a frame, notices its return.
#include "app/desktopApp.h"

#include "audio/audioInMeter.h"
#include "platform/audio/pulseAudioInput.h"
#include "platform/audio/sdlAudioInput.h"
#include "ui/desktopMenu.h"
#include "ui/notice.h"

namespace zorbel {

namespace {
const double kSoundServerCheck = 2.0;  // seconds between checks while it is away
}  // namespace

// This computer's sound chosen and listening on, but nothing heard at the
// start: the server is not running. The board says so, as the menu would.
void DesktopApp::sayWhyNothingIsHeard()
{
    if (getAudioSource() == AudioSource::Computer && !listeningSwitchedOff() && !audioInMeterIsRunning())
        showNotice(kNoSoundServerNotice);
}

void DesktopApp::startListening()
{
    const std::weak_ptr<char> app = alive;
    setAudioQueueOpener(AudioSource::Microphone, openSdlAudioInput);
    setAudioQueueOpener(AudioSource::Computer, [this, app] {
        return openPulseAudioInput([this, app](uint32_t capture) {  // on libpulse's thread
            runOnMainThread([this, app, capture] {
                if (app.expired())
                    return;
                if (capture != 0 && capture == runningSoundServerCapture())
                    showNotice(kNoSoundServerNotice);
                interruptions.soundServerGone(capture, runningSoundServerCapture());
            });
        });
    });
    soundServerTimer = runLoop.addRepeatingTimer(kSoundServerCheck, [this, app] {
        if (probingSoundServer || !interruptions.awaitingSoundServer())
            return;
        if (soundServerProbe.joinable())
            soundServerProbe.join();  // the last one has answered
        probingSoundServer = true;
        soundServerProbe = std::thread([this, app] {
            const bool back = soundServerAnswers();
            runOnMainThread([this, app, back] {
                if (app.expired())
                    return;
                probingSoundServer = false;
                if (back && interruptions.awaitingSoundServer())
                    interruptions.soundServerBack();
            });
        });
    });
}

}  // namespace zorbel
