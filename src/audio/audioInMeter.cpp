// The microphone meter: start, stop and interruptions over whatever capture
// queue the platform provides for the chosen source, and the "DISABLE_MIC"
// and "LISTEN_TO" preferences.
#include "audio/audioInMeter.h"

#include "audio/audioInput.h"
#include "platform/prefs/prefs.h"

#include <string>

namespace zorbel {

namespace {

const char kDisableMicKey[] = "DISABLE_MIC";
const char kListenToKey[] = "LISTEN_TO";
const char* const kSourceNames[] = {"microphone", "computer"};  // by AudioSource

AudioQueueOpener openers[2];                   // by AudioSource
std::unique_ptr<AudioInputQueue> queueObject;  // set exactly while the meter runs
AudioSource queueSource = AudioSource::Microphone;
Prefs* audioDefaults = nullptr;

Prefs* defaults()
{
    if (!audioDefaults)
        audioDefaults = Prefs::standardUserDefaults();
    return audioDefaults;
}

}  // namespace

void setAudioQueueOpener(AudioSource source, AudioQueueOpener opener)
{
    openers[static_cast<int>(source)] = std::move(opener);
}

void setAudioQueueOpener(AudioQueueOpener opener)
{
    setAudioQueueOpener(AudioSource::Microphone, std::move(opener));
}

namespace {

std::unique_ptr<AudioInputQueue> open(AudioSource source)
{
    const AudioQueueOpener& opener = openers[static_cast<int>(source)];
    return opener ? opener() : nullptr;
}

}  // namespace

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
    queueSource = getAudioSource();
    queueObject = open(queueSource);
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

bool listeningSwitchedOff()
{
    return defaults()->boolForKey(kDisableMicKey);
}

int audioInMeterIsRunning()
{
    return queueObject ? 1 : 0;
}

AudioSource getAudioSource()
{
    const std::string name = defaults()->stringForKey(kListenToKey);
    return name == kSourceNames[1] ? AudioSource::Computer : AudioSource::Microphone;
}

bool listenToAudioSource(AudioSource source)
{
    if (!queueObject || queueSource != source) {
        std::unique_ptr<AudioInputQueue> queue = open(source);
        if (!queue)
            return false;
        queueObject = std::move(queue);  // the capture before it stops here
        queueSource = source;
    }
    defaults()->setString(kSourceNames[static_cast<int>(source)], kListenToKey);
    defaults()->setBool(false, kDisableMicKey);
    return true;
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
