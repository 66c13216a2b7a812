// The microphone meter: start, stop and interruptions over whatever capture
// queue the platform provides, and the "DISABLE_MIC" preference.
#include "audio/audioInMeter.h"

#include "audio/audioInput.h"
#include "platform/prefs/prefs.h"

namespace zorbel {

namespace {

const char kDisableMicKey[] = "DISABLE_MIC";

AudioQueueOpener opener;
std::unique_ptr<AudioInputQueue> queueObject;  // set exactly while the meter runs
Prefs* audioDefaults = nullptr;

Prefs* defaults()
{
    if (!audioDefaults)
        audioDefaults = Prefs::standardUserDefaults();
    return audioDefaults;
}

}  // namespace

void setAudioQueueOpener(AudioQueueOpener newOpener)
{
    opener = std::move(newOpener);
}

int initAudioInMeter()
{
    queueObject.reset();
    audioDefaults = Prefs::standardUserDefaults();
    loadMicSensitivity();
    if (!audioDefaults->boolForKey(kDisableMicKey))
        startAudioInMeter(0);
    return 1;
}

void startAudioInMeter(int remember)
{
    if (queueObject)
        stopAudioInMeter(0);
    if (opener)
        queueObject = opener();
    if (!queueObject)
        return;  // no capture device: stays stopped, the preference untouched
    if (remember > 0)
        defaults()->setBool(false, kDisableMicKey);
}

void stopAudioInMeter(int remember)
{
    if (!queueObject)
        return;
    queueObject.reset();
    if (remember > 0)
        defaults()->setBool(true, kDisableMicKey);
}

int audioInMeterIsRunning()
{
    return queueObject ? 1 : 0;
}

float getAverageAudioPower()
{
    float power = 0.0f;
    if (queueObject && queueObject->currentAveragePower(power))
        return power;
    return 0.0f;
}

void interruptionListenerCallback(void*, unsigned int state)
{
    if (state == 1)
        stopAudioInMeter(0);
    else if (state == 0 && !defaults()->boolForKey(kDisableMicKey))
        startAudioInMeter(0);
}

}  // namespace zorbel
