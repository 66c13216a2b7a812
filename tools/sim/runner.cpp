#include "runner.h"

#include "app/iZorbelAppDelegate.h"
#include <cstdlib>
#include "audio/audioInMeter.h"
#include "audio/audioInput.h"
#include "audio/levelMeter.h"
#include "figure/myGuy.h"
#include "platform/imaging/image.h"
#include "trace.h"
#include "ui/cropModel.h"
#include "view/EAGLView.h"
#include "view/faceTexture.h"

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <iterator>

namespace zorbel {

namespace {

// The microphone of the headless scene: whatever level the script says, or
// the level meter fed with a recording.
float scriptedLevel = 0.0f;
bool meterFed = false;
LevelMeter meter;

class ScriptedQueue : public AudioInputQueue {
public:
    bool currentAveragePower(float& power) override
    {
        power = meterFed ? meter.level() : scriptedLevel;
        return true;
    }
};

// Raw 8000 Hz mono signed 16-bit little-endian samples, fed to the meter so
// that by the end of frame n it has heard the first n * 8000 / 60.
class Recording {
public:
    bool load(const std::string& path)
    {
        std::ifstream in(path, std::ios::binary);
        if (!in)
            return false;
        std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        samples_.resize(bytes.size() / 2);
        for (size_t i = 0; i < samples_.size(); ++i) {
            const unsigned lo = static_cast<unsigned char>(bytes[2 * i]);
            const unsigned hi = static_cast<unsigned char>(bytes[2 * i + 1]);
            samples_[i] = static_cast<int16_t>(static_cast<uint16_t>(lo | hi << 8));
        }
        return true;
    }

    // Feeds the sound of frame n (from 1) to the meter; silence past the end.
    void feedFrame(long n)
    {
        long end = n * 8000 / 60;
        static const long block = getenv("BLOCK") ? atol(getenv("BLOCK")) : 0;
        static const long lag = getenv("LAG") ? atol(getenv("LAG")) : 0;
        static const long jit = getenv("JIT") ? atol(getenv("JIT")) : 0;
        static unsigned seed = 12345;
        if (jit) {
            seed = seed * 1103515245 + 12345;
            end -= (seed >> 16) % jit;
        }
        if (block)
            end = ((end + lag) / block) * block;
        if (end < fed_)
            end = fed_;
        while (fed_ < end) {
            const long chunk = std::min<long>(end - fed_, 128);
            if (fed_ < static_cast<long>(samples_.size())) {
                const long have = std::min<long>(chunk, static_cast<long>(samples_.size()) - fed_);
                meter.process(samples_.data() + fed_, static_cast<int>(have));
                if (have < chunk)
                    feedSilence(chunk - have);
            } else {
                feedSilence(chunk);
            }
            fed_ += chunk;
        }
    }

private:
    static void feedSilence(long count)
    {
        static const int16_t silence[128] = {};
        meter.process(silence, static_cast<int>(count));
    }

    std::vector<int16_t> samples_;
    long fed_ = 0;
};

Recording recording;

}  // namespace

bool hearScript(const std::string& recordingPath)
{
    if (!recordingPath.empty()) {
        if (!recording.load(recordingPath))
            return false;
        meterFed = true;
    }
    // The script's levels, whichever source the preferences choose.
    for (AudioSource source : {AudioSource::Microphone, AudioSource::Computer})
        setAudioQueueOpener(source, [] { return std::unique_ptr<AudioInputQueue>(new ScriptedQueue()); });
    return true;
}

bool scriptFacesReadable(const std::vector<ScriptCommand>& script, std::string& error)
{
    for (const ScriptCommand& c : script) {
        RGBAImage face;
        if (c.kind == ScriptCommand::Face && !c.text.empty() && !loadPNG(c.text, face, 4096)) {
            error = "line " + std::to_string(c.line) + ": cannot read the PNG file " + c.text;
            return false;
        }
    }
    return true;
}

bool runScript(const std::vector<ScriptCommand>& script, const ScriptRun& run)
{
    EAGLView& view = run.view;
    std::FILE* out = run.trace;
    Guy& guy = *view.figure();
    std::vector<TouchPoint> touches;
    CropModel crop;
    const float cropHeight = 480.0f;  // the editor covers the 320 x 480 point screen
    long frame = 0;
    for (const ScriptCommand& c : script) {
        switch (c.kind) {
        case ScriptCommand::Accel:
            run.delegate.accelerometerDidAccelerate(c.a[0], c.a[1], c.a[2]);
            break;
        case ScriptCommand::Level:
            scriptedLevel = c.f[0];
            break;
        case ScriptCommand::Touches:
            touches.clear();
            for (size_t i = 0; i + 1 < c.f.size(); i += 2)
                touches.push_back({c.f[i], c.f[i + 1]});
            if (c.phase == ScriptPhase::Began)
                view.touchesBegan(touches.data(), static_cast<int>(touches.size()));
            else if (c.phase == ScriptPhase::Moved)
                view.touchesMoved(touches.data(), static_cast<int>(touches.size()));
            else
                view.touchesEnded(touches.data(), static_cast<int>(touches.size()));
            break;
        case ScriptCommand::Frames:
            for (long i = 0; i < c.count; ++i) {
                if (meterFed)
                    recording.feedFrame(frame + 1);
                const bool runs = glAnimationEnable != 0;
                view.drawView();
                ++frame;
                printFrameLine(out, frame, runs ? view.lastBeat() : 0.0f, guy, noMusicCountDown, view.infoIconAngle());
                if (run.strips)
                    printStrips(out, guy);
                if (run.afterFrame && !run.afterFrame(frame)) {
                    std::fflush(out);
                    return false;
                }
            }
            break;
        case ScriptCommand::Multipliers:
            g_springCoefMultipler = c.f[0];
            g_springDampersMultipler = c.f[1];
            g_stickynessMultiplier = c.f[2];
            break;
        case ScriptCommand::Sensitivity:
            setMicSensitivity(c.f[0]);
            printMicLine(out, g_minDyn, getMicSensitivity());
            break;
        case ScriptCommand::Animation:
            glAnimationEnable = static_cast<int>(c.count);
            break;
        case ScriptCommand::Strips:
            printStrips(out, guy);
            break;
        case ScriptCommand::FaceFan:
            printFaceFan(out, faceVertices, faceTextCoords, faceVerticesN);
            break;
        case ScriptCommand::Face:
            if (c.text.empty()) {
                setCurrentFace(nullptr);
            } else {
                RGBAImage face;
                loadPNG(c.text, face, 4096);  // checked before the first frame
                setCurrentFace(&face);
            }
            break;
        case ScriptCommand::Crop:
            crop = CropModel();
            cropSetPhoto(crop, static_cast<int>(c.f[0]), static_cast<int>(c.f[1]));
            printCropLine(out, crop);
            break;
        case ScriptCommand::CropTouches: {
            const int count = static_cast<int>(c.f.size() / 2);
            if (c.phase == ScriptPhase::Began)
                cropTouchesBegan(crop, c.f.data(), count, cropHeight);
            else if (c.phase == ScriptPhase::Moved)
                cropTouchMoved(crop, c.f[0], c.f[1], cropHeight);
            else
                cropTouchesEnded(crop, c.f.data(), count, cropHeight);
            printCropLine(out, crop);
            break;
        }
        }
    }
    std::fflush(out);
    return true;
}

}  // namespace zorbel
