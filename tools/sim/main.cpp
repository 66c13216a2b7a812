// zorbel-sim: the app's GL view, headless on an EGL surfaceless context,
// driven by a script of accelerometer readings, touches and microphone
// levels, printing a trace of the figure frame by frame.
#include "app/iZorbelAppDelegate.h"
#include "platform/gles/EAGLContext.h"
#include "platform/gles/EAGLLayer.h"
#include "platform/imaging/image.h"
#include "platform/kit/kit.h"
#include "runner.h"
#include "script.h"
#include "ui/screens.h"
#include "view/EAGLView.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

namespace zorbel {
namespace {

const char kUsage[] =
    "usage: zorbel-sim [--strips] [--png DIR] [--ui-png DIR] [--every N] [--audio FILE] [SCRIPT]\n"
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
    "  --every N       with --png or --ui-png, every Nth frame only (default 1)\n"
    "  --ui-png DIR    also write those frames with the screens over the scene (the overlay)\n"
    "  --audio FILE    the microphone hears this recording: raw 8000 Hz mono signed 16-bit\n"
    "                  little-endian samples, through the app's level meter, in step with the\n"
    "                  frames (1/60 s of sound each), then silence; 'level' is then not allowed\n";

struct Options {
    bool strips = false;
    std::string audio;
    std::string pngDir;
    std::string uiPngDir;
    long every = 1;
    std::string script = "-";
};

// What an option that takes a value needs, for the message when it is missing.
const char* valueOf(const std::string& option)
{
    if (option == "--png" || option == "--ui-png")
        return "a folder";
    if (option == "--audio")
        return "a recording file";
    if (option == "--every")
        return "a whole number of at least 1";
    return nullptr;
}

int parseArguments(int argc, char** argv, Options& o)
{
    bool scriptNamed = false;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--help" || a == "-h") {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (a == "--strips") {
            o.strips = true;
            continue;
        }
        if (const char* needs = valueOf(a)) {
            if (i + 1 >= argc) {
                std::fprintf(stderr, "zorbel-sim: %s needs %s (see zorbel-sim --help)\n", a.c_str(), needs);
                return 2;
            }
            const std::string value = argv[++i];
            if (a == "--png") {
                o.pngDir = value;
            } else if (a == "--ui-png") {
                o.uiPngDir = value;
            } else if (a == "--audio") {
                o.audio = value;
            } else {
                char* end = nullptr;
                o.every = std::strtol(value.c_str(), &end, 10);
                if (value.empty() || *end || o.every < 1) {
                    std::fprintf(stderr, "zorbel-sim: --every needs %s\n", needs);
                    return 2;
                }
            }
        } else if (a.size() > 1 && a[0] == '-') {
            std::fprintf(stderr, "zorbel-sim: unknown option %s (see zorbel-sim --help)\n", a.c_str());
            return 2;
        } else if (scriptNamed) {
            std::fprintf(stderr, "zorbel-sim: unexpected argument %s: one script at most (see zorbel-sim --help)\n",
                         a.c_str());
            return 2;
        } else {
            o.script = a;
            scriptNamed = true;
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
// False, with one message, when a picture cannot be written.
bool writePngs(const Options& o, EAGLView& view, Screen& screen, long n)
{
    RGBAImage image;
    if (!view.layer().readPresentedPixels(image.pixels, image.width, image.height)) {
        std::fprintf(stderr, "zorbel-sim: frame %ld cannot be read back\n", n);
        return false;
    }
    for (size_t i = 3; i < image.pixels.size(); i += 4)
        image.pixels[i] = 255;  // alpha forced opaque
    char name[32];
    std::snprintf(name, sizeof name, "/frame-%06ld.png", n);
    if (!o.pngDir.empty() && !savePNG(o.pngDir + name, image)) {
        std::fprintf(stderr, "zorbel-sim: cannot write %s%s; stopped\n", o.pngDir.c_str(), name);
        return false;
    }
    if (o.uiPngDir.empty())
        return true;
    RGBAImage ui;
    screen.render(image.width, image.height, ui);
    for (size_t i = 0; i < image.pixels.size(); i += 4) {
        const unsigned keep = 255 - ui.pixels[i + 3];  // premultiplied "over"
        for (int c = 0; c < 3; ++c)
            image.pixels[i + c] = static_cast<uint8_t>(ui.pixels[i + c] + (image.pixels[i + c] * keep + 127) / 255);
    }
    if (!savePNG(o.uiPngDir + name, image)) {
        std::fprintf(stderr, "zorbel-sim: cannot write %s%s; stopped\n", o.uiPngDir.c_str(), name);
        return false;
    }
    return true;
}

int run(const Options& o, const std::vector<ScriptCommand>& script)
{
    auto context = EAGLContext::createSurfaceless();
    if (!context) {
        std::fprintf(stderr, "zorbel-sim: no OpenGL ES 1.1 context\n");
        return 1;
    }
    if ((!o.pngDir.empty() || !o.uiPngDir.empty()) && !context->draws()) {
        std::fprintf(stderr,
                     "zorbel-sim: this build draws no pictures; --png and --ui-png need the desktop zorbel-sim\n");
        return 2;
    }
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

    const bool whole = runScript(script, {*view, delegate, stdout, o.strips, [&](long frame) {
                                              return (o.pngDir.empty() && o.uiPngDir.empty()) || frame % o.every != 0 ||
                                                     writePngs(o, *view, screen, frame);
                                          }});
    return whole ? 0 : 1;
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
    if (!hearScript(options.audio)) {
        std::fprintf(stderr, "zorbel-sim: cannot read %s\n", options.audio.c_str());
        return 2;
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
    if (!scriptFacesReadable(script, error)) {
        std::fprintf(stderr, "zorbel-sim: %s\n", error.c_str());
        return 2;
    }
    return run(options, script);
}
