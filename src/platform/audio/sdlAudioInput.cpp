#include "platform/audio/sdlAudioInput.h"

#include "audio/levelMeter.h"
#include "platform/log/log.h"

#include <SDL.h>
// alsa/error.h leaves snd_lib_error_set_local outside its extern "C".
extern "C" {
#include <alsa/asoundlib.h>
}

#include <atomic>
#include <cstdarg>
#include <cstdio>

namespace zorbel {

namespace {

// What the audio thread owns while the device is open. It is freed only
// after SDL_CloseAudioDevice has returned, when no callback can run.
struct Capture {
    LevelMeter meter;                // audio thread only
    std::atomic<float> level{0.0f};  // written by the audio thread, read by the main thread
};

uint32_t runningDevice = 0;

// ALSA writes its complaints to standard error, several raw lines for one
// missing sound card. While a device is being opened the first one is kept,
// to be told in that attempt's own line; of the others, only the first is
// logged, so that a card that keeps failing does not fill the terminal.
std::atomic<bool> opening{false};
std::atomic<bool> complainedAlready{false};
char firstComplaint[160] = "";

void alsaComplaint(const char* file, int line, const char* function, int err, const char* format, ...)
{
    va_list args;
    va_start(args, format);
    // ALSA silences some of its own complaints (device listing asks every
    // card, present or not) with a handler of the calling thread: honour it.
    const snd_local_error_handler_t local = snd_lib_error_set_local(nullptr);
    snd_lib_error_set_local(local);
    if (local) {
        local(file, line, function, err, format, args);
        va_end(args);
        return;
    }
    char text[sizeof firstComplaint];
    vsnprintf(text, sizeof text, format, args);
    va_end(args);
    if (opening.load()) {
        if (firstComplaint[0] == '\0')
            snprintf(firstComplaint, sizeof firstComplaint, "%s", text);
    } else if (!complainedAlready.exchange(true)) {
        logLine("sound: ALSA: %s (its later complaints are not shown)", text);
    }
}

// The sound servers before the sound card itself, unless SDL_AUDIODRIVER says
// otherwise: through a server the microphone is shared, and a computer
// without a card has nothing for ALSA to find.
const char kDriverOrder[] = "pulseaudio,pipewire,alsa,jack,sndio,dsp";

// SDL's error, and what ALSA said about it if it said anything.
void logNoMicrophone(const char* what)
{
    if (firstComplaint[0] != '\0')
        logLine("microphone: %s (%s; ALSA: %s); the toy runs without the microphone", what, SDL_GetError(),
                firstComplaint);
    else
        logLine("microphone: %s (%s); the toy runs without the microphone", what, SDL_GetError());
}

class SdlAudioInput : public AudioInputQueue {
public:
    SdlAudioInput(SDL_AudioDeviceID device, std::unique_ptr<Capture> capture)
        : device_(device), capture_(std::move(capture))
    {
        runningDevice = device_;
    }

    ~SdlAudioInput() override
    {
        SDL_CloseAudioDevice(device_);  // waits for a running callback to finish
        if (runningDevice == device_)
            runningDevice = 0;
    }

    bool currentAveragePower(float& power) override
    {
        power = capture_->level.load(std::memory_order_relaxed);
        return true;
    }

private:
    SDL_AudioDeviceID device_;
    std::unique_ptr<Capture> capture_;
};

}  // namespace

void recordingCallback(void* userData, uint8_t* stream, int length)
{
    Capture* capture = static_cast<Capture*>(userData);
    capture->meter.process(reinterpret_cast<const int16_t*>(stream), length / 2);
    capture->level.store(capture->meter.level(), std::memory_order_relaxed);
}

std::unique_ptr<AudioInputQueue> openSdlAudioInput()
{
    snd_lib_error_set_handler(alsaComplaint);
    SDL_SetHint(SDL_HINT_AUDIODRIVER, kDriverOrder);  // an environment variable still wins
    firstComplaint[0] = '\0';
    opening = true;
    struct Opened {
        ~Opened() { opening = false; }
    } opened;
    if (!SDL_WasInit(SDL_INIT_AUDIO) && SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        logNoMicrophone("no audio system");
        return nullptr;
    }
    auto capture = std::make_unique<Capture>();
    SDL_AudioSpec want{};
    want.freq = 8000;
    want.format = AUDIO_S16SYS;
    want.channels = 1;
    want.samples = 128;  // 16 ms: the meter moves about once per frame
    want.callback = recordingCallback;
    want.userdata = capture.get();
    SDL_AudioSpec have{};
    // No format changes allowed: SDL converts whatever the device gives.
    const SDL_AudioDeviceID device = SDL_OpenAudioDevice(nullptr, 1, &want, &have, 0);
    if (device == 0) {
        logNoMicrophone("no capture device can be opened");
        return nullptr;
    }
    SDL_PauseAudioDevice(device, 0);
    return std::make_unique<SdlAudioInput>(device, std::move(capture));
}

uint32_t runningCaptureDevice()
{
    return runningDevice;
}

}  // namespace zorbel
