#include "platform/audio/webAudioInput.h"

#include "audio/levelMeter.h"

#include <emscripten/emscripten.h>

#include <map>
#include <vector>

namespace zorbel {

namespace {

// Samples handed over at a time: 256 at 8000 Hz, 32 ms.
const int kBlock = 256;

struct Capture {
    LevelMeter meter;
    std::vector<int16_t> samples = std::vector<int16_t>(kBlock * 8);  // the page writes into it
    std::function<void(MicrophoneTrouble)> trouble;
};

// Open captures by handle; the page's callbacks name theirs.
std::map<int, Capture>& captures()
{
    static std::map<int, Capture> open;
    return open;
}

// clang-format off
// One capture: a context at 8000 Hz where the browser can connect the
// microphone to one (else at its own rate, averaged down here), a script
// processor handing blocks of 16-bit samples to the meter. The context is
// made at once, inside the user's gesture, so that it may run.
EM_JS(void, jsMicOpen, (int handle, int16_t* buffer, int capacity), {
    var mic = { closed: false, ctx: null, stream: null, node: null, source: null };
    Module.zorbelMics = Module.zorbelMics || {};
    Module.zorbelMics[handle] = mic;
    var fail = function (why, text) {
        if (mic.closed)
            return;
        console.log("microphone: " + text);
        _zorbelMicTrouble(handle, why);
    };
    var devices = navigator.mediaDevices;
    if (!devices || !devices.getUserMedia || !(window.AudioContext || window.webkitAudioContext)) {
        setTimeout(function () { fail(0, "this browser offers no sound capture"); }, 0);
        return;
    }
    var Context = window.AudioContext || window.webkitAudioContext;
    var makeContext = function (rate) {
        try {
            return rate ? new Context({ sampleRate: rate }) : new Context();
        } catch (e) {
            return null;
        }
    };
    mic.ctx = makeContext(8000) || makeContext(0);
    if (mic.ctx && mic.ctx.resume)
        mic.ctx.resume();
    devices.getUserMedia({ audio: { echoCancellation: false, noiseSuppression: false, autoGainControl: false,
                                    channelCount: 1 }, video: false }).then(function (stream) {
        mic.stream = stream;
        if (mic.closed) {
            stream.getTracks().forEach(function (t) { t.stop(); });
            return;
        }
        try {
            mic.source = mic.ctx.createMediaStreamSource(stream);
        } catch (e) {
            // Some browsers connect a microphone only to a context at its rate.
            mic.ctx.close();
            mic.ctx = makeContext(0);
            mic.ctx.resume();
            mic.source = mic.ctx.createMediaStreamSource(stream);
        }
        var rate = mic.ctx.sampleRate, phase = 0, sum = 0, n = 0;
        mic.node = mic.ctx.createScriptProcessor(rate > 8000 ? 2048 : 256, 1, 1);
        mic.node.onaudioprocess = function (e) {
            if (mic.closed)
                return;
            var input = e.inputBuffer.getChannelData(0), out = 0, base = buffer >> 1;
            for (var i = 0; i < input.length && out < capacity; ++i) {
                sum += input[i];
                ++n;
                phase += 8000;
                if (phase >= rate) {
                    phase -= rate;
                    var s = Math.round(sum / n * 32767);
                    HEAP16[base + out++] = s > 32767 ? 32767 : s < -32768 ? -32768 : s;
                    sum = 0;
                    n = 0;
                }
            }
            if (out > 0)
                _zorbelMicSamples(handle, out);
        };
        mic.source.connect(mic.node);
        mic.node.connect(mic.ctx.destination);  // a processor runs only when connected; it outputs silence
        stream.getAudioTracks().forEach(function (t) {
            t.onended = function () { fail(2, "the microphone was disconnected"); };
        });
    }).catch(function (e) {
        var refused = e && (e.name == "NotAllowedError" || e.name == "SecurityError");
        fail(refused ? 1 : 0, (e && e.name ? e.name + ": " : "") + (e && e.message ? e.message : e));
    });
});

EM_JS(void, jsMicClose, (int handle), {
    var mic = Module.zorbelMics && Module.zorbelMics[handle];
    if (!mic)
        return;
    delete Module.zorbelMics[handle];
    mic.closed = true;
    if (mic.node) {
        mic.node.onaudioprocess = null;
        mic.node.disconnect();
    }
    if (mic.source)
        mic.source.disconnect();
    if (mic.stream)
        mic.stream.getTracks().forEach(function (t) { t.stop(); });
    if (mic.ctx)
        mic.ctx.close();
});
// clang-format on

class WebAudioInput : public AudioInputQueue {
public:
    explicit WebAudioInput(int handle) : handle_(handle) {}
    ~WebAudioInput() override
    {
        jsMicClose(handle_);
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
    jsMicOpen(handle, capture.samples.data(), static_cast<int>(capture.samples.size()));
    return std::make_unique<WebAudioInput>(handle);
}

}  // namespace zorbel

// A block of samples the page wrote into the capture's buffer.
extern "C" EMSCRIPTEN_KEEPALIVE void zorbelMicSamples(int handle, int count)
{
    auto it = zorbel::captures().find(handle);
    if (it != zorbel::captures().end())
        it->second.meter.process(it->second.samples.data(), count);
}

// The microphone cannot be heard: 0 none, 1 refused, 2 disconnected.
extern "C" EMSCRIPTEN_KEEPALIVE void zorbelMicTrouble(int handle, int why)
{
    auto it = zorbel::captures().find(handle);
    if (it == zorbel::captures().end())
        return;
    it->second.meter = {};  // silent from now on
    if (auto trouble = it->second.trouble)
        trouble(why == 1   ? zorbel::MicrophoneTrouble::Refused
                : why == 2 ? zorbel::MicrophoneTrouble::Disconnected
                           : zorbel::MicrophoneTrouble::None);
}
