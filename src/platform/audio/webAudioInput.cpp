#include "platform/audio/webAudioInput.h"

#include "audio/levelMeter.h"

#include <emscripten/emscripten.h>

#include <map>
#include <vector>

// The page's side (webAudioInput.js).
extern "C" {
void zmOpen(int handle, int16_t* buffer, int capacity);
void zmClose(int handle);
void zmResume();
}

namespace zorbel {

namespace {

// The most samples the page hands over at a time (a worklet's block is 128,
// a script processor's 256 at 8000 Hz or 341 from the browser's rate).
const int kMostSamples = 2048;

struct Capture {
    LevelMeter meter;
    std::vector<int16_t> samples = std::vector<int16_t>(kMostSamples);  // the page writes into it
    std::function<void(MicrophoneTrouble)> trouble;
};

// Open captures by handle; the page's callbacks name theirs.
std::map<int, Capture>& captures()
{
    static std::map<int, Capture> open;
    return open;
}

class WebAudioInput : public AudioInputQueue {
public:
    explicit WebAudioInput(int handle) : handle_(handle) {}
    ~WebAudioInput() override
    {
        zmClose(handle_);
        captures().erase(handle_);
    }

    bool currentAveragePower(float& power) override
    {
        auto it = captures().find(handle_);
        power = it == captures().end() ? 0.0f : it->second.meter.level();
        return true;
    }

private:
    int handle_;
};

}  // namespace

std::unique_ptr<AudioInputQueue> openWebAudioInput(std::function<void(MicrophoneTrouble)> trouble)
{
    static int lastHandle = 0;
    const int handle = ++lastHandle;
    Capture& capture = captures()[handle];
    capture.trouble = std::move(trouble);
    zmOpen(handle, capture.samples.data(), static_cast<int>(capture.samples.size()));
    return std::make_unique<WebAudioInput>(handle);
}

void resumeWebAudioInputs()
{
    zmResume();
}

}  // namespace zorbel

// A block of samples the page wrote into the capture's buffer.
extern "C" EMSCRIPTEN_KEEPALIVE void zorbelMicSamples(int handle, int count)
{
    auto it = zorbel::captures().find(handle);
    if (it != zorbel::captures().end())
        it->second.meter.process(it->second.samples.data(), count);
}

// The microphone cannot be heard: 0 none, 1 refused, 2 disconnected, 3 the
// browser holds its sound back (for now: the capture stays open).
extern "C" EMSCRIPTEN_KEEPALIVE void zorbelMicTrouble(int handle, int why)
{
    using zorbel::MicrophoneTrouble;
    auto it = zorbel::captures().find(handle);
    if (it == zorbel::captures().end())
        return;
    if (why != 3)
        it->second.meter = {};  // silent from now on
    if (auto trouble = it->second.trouble)
        trouble(why == 1   ? MicrophoneTrouble::Refused
                : why == 2 ? MicrophoneTrouble::Disconnected
                : why == 3 ? MicrophoneTrouble::HeldBack
                           : MicrophoneTrouble::None);
}
