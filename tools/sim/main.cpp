// zorbel-sim: the app's GL view, headless on an EGL surfaceless context,
// driven by a script of accelerometer readings, touches and microphone
// levels, printing a trace of the figure frame by frame.
#include "app/iZorbelAppDelegate.h"
#include "audio/audioInMeter.h"
#include "audio/audioInput.h"
#include "audio/levelMeter.h"
#include "figure/myGuy.h"
#include "platform/gles/EAGLContext.h"
#include "platform/gles/EAGLLayer.h"
#include "platform/imaging/image.h"
#include "script.h"
#include "trace.h"
#include "ui/cropModel.h"
#include "ui/screens.h"
#include "view/EAGLView.h"
#include "view/faceTexture.h"
#include "platform/kit/kit.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <iterator>
#include <cstring>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

namespace zorbel {
namespace {

const char kUsage[] =
    "usage: zorbel-sim [--strips] [--png DIR [--every N]] [--audio FILE] [SCRIPT]\n"
    "Runs the frame loop headless from a script (a file, or standard input when SCRIPT is absent or -),\n"
    "trace on standard output. The scene is built as the app builds it, in a 320 x 480 point view.\n"
    "\n"
    "Script: one command a line; '#' starts a comment; numbers are C-locale floats ('nan' accepted).\n"
    "  accel X Y Z                      one accelerometer reading (g) through the app's handler\n"
    "  level L                          the microphone level of every following frame (0 until set)\n"
    "  touches PHASE X1 Y1 [X2 Y2 ...]  one touch event on the GL view; PHASE is began, moved or ended\n"
    "  frames N                         run N frames; after each, print one F line\n"
    "  multipliers C D S                set the spring, damper and friction multipliers\n"
    "  sensitivity S                    set the microphone sensitivity, then print an M line\n"
    "  animation 0|1                    pause or resume the frame loop\n"
    "  strips                           print the current strips (S lines)\n"
    "  facefan                          print the face fan (V and T lines)\n"
    "  face PATH | face none            install a PNG file as the photo face, or go back to chalk\n"
    "  crop W H                         a fresh crop editor (320 x 480 points) given a W x H pixel\n"
    "                                   photo (W or H 0 or less: a photo without pixels), then a C line\n"
    "  croptouches PHASE X1 Y1 [...]    one touch event on the crop editor (after a crop line); a moved\n"
    "                                   event moves its first touch only; then a C line\n"
    "\n"
    "Options:\n"
    "  --strips        print the strips after every frame\n"
    "  --png DIR       also write rendered frames as DIR/frame-000123.png\n"
    "  --every N       with --png, every Nth frame only (default 1)\n"
    "  --ui-png DIR    also write those frames with the screens over the scene (the overlay)\n"
    "  --audio FILE    the microphone hears this recording: raw 8000 Hz mono signed 16-bit\n"
    "                  little-endian samples, through the app's level meter, in step with the\n"
    "                  frames (1/60 s of sound each), then silence; 'level' is then not allowed\n";

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
        const long end = n * 8000 / 60;
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

struct Options {
    bool strips = false;
    std::string audio;
    std::string pngDir;
    std::string uiPngDir;
    long every = 1;
    std::string script = "-";
};

int parseArguments(int argc, char** argv, Options& o)
{
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--help" || a == "-h") {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (a == "--strips") {
            o.strips = true;
        } else if (a == "--png" && i + 1 < argc) {
            o.pngDir = argv[++i];
        } else if (a == "--ui-png" && i + 1 < argc) {
            o.uiPngDir = argv[++i];
        } else if (a == "--audio" && i + 1 < argc) {
            o.audio = argv[++i];
        } else if (a == "--every" && i + 1 < argc) {
            char* end = nullptr;
            o.every = std::strtol(argv[++i], &end, 10);
            if (*end || o.every < 1) {
                std::fprintf(stderr, "zorbel-sim: --every needs a whole number of at least 1\n");
                return 2;
            }
        } else if (a.size() > 1 && a[0] == '-') {
            std::fprintf(stderr, "zorbel-sim: unknown option %s\n%s", a.c_str(), kUsage);
            return 2;
        } else {
            o.script = a;
        }
    }
    return -1;
}

bool readScript(const std::string& name, std::string& text)
{
    std::stringstream s;
    if (name == "-") {
        s << std::cin.rdbuf();
    } else {
        std::ifstream in(name, std::ios::binary);
        if (!in)
            return false;
        s << in.rdbuf();
    }
    text = s.str();
    return true;
}

// Frame n as rendered (and, for --ui-png, with the screens drawn over it).
void writePngs(const Options& o, EAGLView& view, Screen& screen, long n)
{
    RGBAImage image;
    if (!view.layer().readPresentedPixels(image.pixels, image.width, image.height))
        return;
    for (size_t i = 3; i < image.pixels.size(); i += 4)
        image.pixels[i] = 255;  // alpha forced opaque
    char name[32];
    std::snprintf(name, sizeof name, "/frame-%06ld.png", n);
    if (!o.pngDir.empty() && !savePNG(o.pngDir + name, image))
        std::fprintf(stderr, "zorbel-sim: cannot write %s%s\n", o.pngDir.c_str(), name);
    if (o.uiPngDir.empty())
        return;
    RGBAImage ui;
    screen.render(image.width, image.height, ui);
    for (size_t i = 0; i < image.pixels.size(); i += 4) {
        const unsigned keep = 255 - ui.pixels[i + 3];  // premultiplied "over"
        for (int c = 0; c < 3; ++c)
            image.pixels[i + c] = static_cast<uint8_t>(ui.pixels[i + c] + (image.pixels[i + c] * keep + 127) / 255);
    }
    if (!savePNG(o.uiPngDir + name, image))
        std::fprintf(stderr, "zorbel-sim: cannot write %s%s\n", o.uiPngDir.c_str(), name);
}

int run(const Options& o, const std::vector<ScriptCommand>& script, Recording& recording)
{
    auto context = EAGLContext::createSurfaceless();
    if (!context) {
        std::fprintf(stderr, "zorbel-sim: no OpenGL ES 1.1 context\n");
        return 1;
    }
    // The script's levels, whichever source the preferences choose.
    for (AudioSource source : {AudioSource::Microphone, AudioSource::Computer})
        setAudioQueueOpener(source, [] { return std::unique_ptr<AudioInputQueue>(new ScriptedQueue()); });
    std::shared_ptr<EAGLView> view = EAGLView::initWithContext(context, nullptr);
    if (!view) {
        std::fprintf(stderr, "zorbel-sim: the GL view cannot be built\n");
        return 1;
    }
    iZorbelAppDelegate delegate;
    delegate.glView = view.get();
    view->layer().setDrawableSize(320, 480);
    view->createFramebuffer();
    Screen screen;  // a touch on the info corner opens the overlay, as in the app
    installScreens(screen, view);

    Guy& guy = *view->figure();
    std::vector<TouchPoint> touches;
    CropModel crop;
    const float cropHeight = 480.0f;  // the editor covers the 320 x 480 point screen
    long frame = 0;
    for (const ScriptCommand& c : script) {
        switch (c.kind) {
        case ScriptCommand::Accel:
            delegate.accelerometerDidAccelerate(c.a[0], c.a[1], c.a[2]);
            break;
        case ScriptCommand::Level:
            scriptedLevel = c.f[0];
            break;
        case ScriptCommand::Touches:
            touches.clear();
            for (size_t i = 0; i + 1 < c.f.size(); i += 2)
                touches.push_back({c.f[i], c.f[i + 1]});
            if (c.phase == ScriptPhase::Began)
                view->touchesBegan(touches.data(), static_cast<int>(touches.size()));
            else if (c.phase == ScriptPhase::Moved)
                view->touchesMoved(touches.data(), static_cast<int>(touches.size()));
            else
                view->touchesEnded(touches.data(), static_cast<int>(touches.size()));
            break;
        case ScriptCommand::Frames:
            for (long i = 0; i < c.count; ++i) {
                if (meterFed)
                    recording.feedFrame(frame + 1);
                const bool runs = glAnimationEnable != 0;
                view->drawView();
                ++frame;
                printFrameLine(stdout, frame, runs ? view->lastBeat() : 0.0f, guy, noMusicCountDown,
                               view->infoIconAngle());
                if (o.strips)
                    printStrips(stdout, guy);
                if ((!o.pngDir.empty() || !o.uiPngDir.empty()) && frame % o.every == 0)
                    writePngs(o, *view, screen, frame);
            }
            break;
        case ScriptCommand::Multipliers:
            g_springCoefMultipler = c.f[0];
            g_springDampersMultipler = c.f[1];
            g_stickynessMultiplier = c.f[2];
            break;
        case ScriptCommand::Sensitivity:
            setMicSensitivity(c.f[0]);
            printMicLine(stdout, g_minDyn, getMicSensitivity());
            break;
        case ScriptCommand::Animation:
            glAnimationEnable = static_cast<int>(c.count);
            break;
        case ScriptCommand::Strips:
            printStrips(stdout, guy);
            break;
        case ScriptCommand::FaceFan:
            printFaceFan(stdout, faceVertices, faceTextCoords, faceVerticesN);
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
            printCropLine(stdout, crop);
            break;
        case ScriptCommand::CropTouches: {
            const int count = static_cast<int>(c.f.size() / 2);
            if (c.phase == ScriptPhase::Began)
                cropTouchesBegan(crop, c.f.data(), count, cropHeight);
            else if (c.phase == ScriptPhase::Moved)
                cropTouchMoved(crop, c.f[0], c.f[1], cropHeight);
            else
                cropTouchesEnded(crop, c.f.data(), count, cropHeight);
            printCropLine(stdout, crop);
            break;
        }
        }
    }
    std::fflush(stdout);
    return 0;
}

}  // namespace
}  // namespace zorbel

int main(int argc, char** argv)
{
    using namespace zorbel;
    Options options;
    const int early = parseArguments(argc, argv, options);
    if (early >= 0)
        return early;

    std::string text;
    if (!readScript(options.script, text)) {
        std::fprintf(stderr, "zorbel-sim: cannot read %s\n", options.script.c_str());
        return 2;
    }
    Recording recording;
    if (!options.audio.empty()) {
        if (!recording.load(options.audio)) {
            std::fprintf(stderr, "zorbel-sim: cannot read %s\n", options.audio.c_str());
            return 2;
        }
        meterFed = true;
    }
    std::vector<ScriptCommand> script;
    std::string error;
    ScriptOptions scriptOptions;
    scriptOptions.allowLevel = options.audio.empty();
    scriptOptions.allowCrop = true;
    if (!parseScript(text, scriptOptions, script, error)) {
        std::fprintf(stderr, "zorbel-sim: %s\n", error.c_str());
        return 2;
    }
    for (const ScriptCommand& c : script) {
        RGBAImage face;
        if (c.kind == ScriptCommand::Face && !c.text.empty() && !loadPNG(c.text, face, 4096)) {
            std::fprintf(stderr, "zorbel-sim: line %d: cannot read the PNG file %s\n", c.line, c.text.c_str());
            return 2;
        }
    }
    return run(options, script, recording);
}
