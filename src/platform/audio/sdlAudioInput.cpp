#include "platform/audio/sdlAudioInput.h"

#include "audio/levelMeter.h"
#include "platform/log/log.h"

#include <SDL.h>

#include <atomic>

namespace zorbel {

namespace {

// What the audio thread owns while the device is open. It is freed only
// after SDL_CloseAudioDevice has returned, when no callback can run.
struct Capture {
    LevelMeter meter;                // audio thread only
    std::atomic<float> level{0.0f};  // written by the audio thread, read by the main thread
};

uint32_t runningDevice = 0;

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
    if (!SDL_WasInit(SDL_INIT_AUDIO) && SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        logLine("microphone: no audio system (%s); the toy runs without the microphone", SDL_GetError());
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
        logLine("microphone: no capture device can be opened (%s); the toy runs without the microphone",
                SDL_GetError());
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
