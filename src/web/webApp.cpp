#include "web/webApp.h"

#include "audio/audioInMeter.h"
#include "platform/audio/webAudioInput.h"
#include "platform/camera/camera.h"
#include "platform/files/files.h"
#include "platform/gles/EAGLContext.h"
#include "platform/gles/EAGLLayer.h"
#include "platform/log/log.h"
#include "runner.h"
#include "ui/InfoView.h"
#include "ui/notice.h"
#include "ui/screens.h"
#include "ui/wording.h"
#include "view/EAGLView.h"
#include "view/faceTexture.h"

#include <cstdio>
#include <cstdlib>

#include <emscripten/emscripten.h>

#include <cmath>

namespace zorbel {

namespace {

// clang-format off
// The page's script shows the board once the first frame is on it.
EM_JS(void, jsFirstFrameShown, (), {
    if (Module.firstFrame)
        Module.firstFrame();
});

// What a script printed, for whoever ran it (a test).
EM_JS(void, jsScriptDone, (const char* trace, int ok), {
    Module.trace = UTF8ToString(trace);
    Module.scriptDone = ok ? "ok" : "failed";
});
// clang-format on

// The app that runs the page's scene, for the frame count measurements read.
const WebApp* g_app = nullptr;

}  // namespace

WebApp::WebApp() : input(screen)
{
    g_app = this;
}

uint64_t WebApp::framesDrawn() const
{
    return view ? view->layer().presentCount() : 0;
}

WebApp::~WebApp()
{
    g_app = nullptr;
    setNoticeHost({});
    runLoop.invalidateTimer(accelerometerTimer);
    runLoop.invalidateTimer(clipTimer);
    InfoView::toggleClip = nullptr;
    InfoView::clipItemTitle = nullptr;
    if (view) {
        EventScope scope;
        view->removeFromSuperview();
    }
    view.reset();
}

bool WebApp::start()
{
    window.onEvent = [this](const InputEvent& e) { runLoop.post(e); };
    if (!window.open())
        return false;
    view = EAGLView::initWithContext(window.sharedContext(), &runLoop);
    if (!view) {
        logLine("##### The GL view cannot be created");
        return false;
    }
    accelerometer.start();
    cameraAvailable();  // the browser starts listing its cameras
    delegate.glView = view.get();
    input.setView(view.get());
    delegate.startAccelerometer = [this](double interval) {
        accelerometerTimer = runLoop.addRepeatingTimer(interval, [this, interval] {
            double x, y, z;
            if (accelerometer.poll(interval, x, y, z))
                delegate.accelerometerDidAccelerate(x, y, z);
        });
    };
    delegate.applicationDidFinishLaunching();
    setWording(Wording::Browser);
    // A phone has no menu or keys: the info page records clips.
    InfoView::toggleClip = [this] { clips.toggle(view->layer().drawableWidth(), view->layer().drawableHeight()); };
    InfoView::clipItemTitle = [this] { return clips.title("No clips here"); };
    clipTimer = runLoop.addRepeatingTimer(0.25, [this] { clips.tick(); });
    installScreens(screen, view);
    setNoticeHost(noticeHost(screen, runLoop, [this] { return view ? view->figureBounds() : Rect{}; }));
    onFileNotKept([](bool full) {
        const char* text = full ? "Zorbel's face cannot be kept for your next visit: this browser's storage is full"
                                : "Zorbel's face cannot be kept for your next visit";
        logLine("%s", text);
        showNotice(text);
    });
    setMainThreadWakeUp(RunLoop::wakeUp);
    runLoop.setEventHandler([this](const InputEvent& e) { handle(e); });
    runLoop.setRefreshHandler([this] {
        runMainThreadTasks();
        composite();
    });
    window.holdOffScreenSaver(true);
    layout();
    composite();
    jsFirstFrameShown();
    runLoop.run();
    return true;
}

void WebApp::storedFilesArrived()
{
    if (!view || faceTexture || !EAGLContext::setCurrentContext(window.context()))
        return;
    loadStoredFace();
}

bool WebApp::runScript(const std::string& text)
{
    std::vector<ScriptCommand> script;
    std::string error;
    ScriptOptions options;
    options.allowCrop = true;
    if (!parseScript(text, options, script, error) || !scriptFacesReadable(script, error)) {
        logLine("script: %s", error.c_str());
        jsScriptDone(error.c_str(), 0);
        return false;
    }
    hearScript();
    if (!window.open())
        return false;
    // As the simulator builds it: no frame timer, and no frame before the script's.
    view = EAGLView::initWithContext(window.sharedContext(), nullptr);
    if (!view)
        return false;
    delegate.glView = view.get();
    const float ppp = window.pixelsPerPoint();
    view->layer().setDrawableSize(static_cast<int>(std::lround(kScreenWidth * ppp)),
                                  static_cast<int>(std::lround(kScreenHeight * ppp)));
    view->createFramebuffer();
    installScreens(screen, view);

    char* trace = nullptr;
    size_t size = 0;
    std::FILE* out = open_memstream(&trace, &size);
    zorbel::runScript(script, {*view, delegate, out, false, nullptr});
    std::fclose(out);
    window.composite(view->layer());
    jsFirstFrameShown();
    jsScriptDone(trace ? trace : "", 1);
    std::free(trace);
    return true;
}

// The page's newest picture on the board's canvas, and the screens over it
// on theirs, each when it changed. While a clip records, the canvas is drawn
// at least 30 times a second: a browser records a canvas's frames only as it
// is drawn, and Firefox's recorder, given none, never finishes.
void WebApp::composite()
{
    const uint64_t presented = view->layer().presentCount();
    const double now = emscripten_get_now();
    const bool clipWantsOne = clips.recording() && now - compositedAt >= 1000.0 / 31;
    if ((presented != composited || clipWantsOne) && !graphicsLost) {
        window.composite(view->layer());
        composited = presented;
        compositedAt = now;
    }
    if (screen.needsDisplay()) {
        const bool shown = !onlyTheScene(screen, *view);
        window.drawScreens([this](GraphicsContext& gc) { screen.draw(gc); });
        window.showScreens(shown);
    }
}

// The GL layer at the board's pixel size; rebuilding the framebuffer draws
// a frame at once.
void WebApp::layout()
{
    window.layout();
    const float ppp = window.pixelsPerPoint();
    view->layer().setDrawableSize(static_cast<int>(std::lround(kScreenWidth * ppp)),
                                  static_cast<int>(std::lround(kScreenHeight * ppp)));
    if (!graphicsLost)  // else the framebuffer is made at this size when the context is back
        view->layoutSubviews();
    screen.root().setNeedsDisplay();
}

// Browsers hand out motion (iOS) and let sound run only from inside a
// touch, a click or a key press: the first one asks for both, and each one
// asks again for sound the browser holds back.
void WebApp::gesture()
{
    if (gestured) {
        resumeWebAudioInputs();
        // A microphone that was missing or went away is looked for again.
        if (micLost && !listeningSwitchedOff()) {
            micLost = false;
            micRetried = true;
            stopAudioInMeter(0);
            startAudioInMeter(0);
        }
        return;
    }
    gestured = true;
    accelerometer.requestPermission();
    setAudioQueueOpener([this] { return openWebAudioInput([this](MicrophoneTrouble t) { microphoneTrouble(t); }); });
    if (!listeningSwitchedOff() && !audioInMeterIsRunning())
        startAudioInMeter(0);
}

// Why the microphone cannot be heard, and what to do: on the board, and in
// the log. A second look that finds the same trouble says it in the log only.
void WebApp::microphoneTrouble(MicrophoneTrouble trouble)
{
    const char* text =
        trouble == MicrophoneTrouble::Refused ? "The microphone is not allowed here. Allow it in the site's settings "
                                                "to make him dance."
        : trouble == MicrophoneTrouble::Disconnected
            ? "The microphone was disconnected. Connect it again, then touch the board."
        : trouble == MicrophoneTrouble::HeldBack
            ? "Zorbel cannot hear the microphone: this browser holds its sound back. Touch the board to try again."
            : "No microphone can be opened. Connect one, then touch the board to try again.";
    logLine("microphone: %s", text);
    if (!(micRetried && trouble == micTold))
        showNotice(text);
    micTold = trouble;
    micRetried = false;
    micLost = trouble == MicrophoneTrouble::None || trouble == MicrophoneTrouble::Disconnected;
    micRefused = trouble == MicrophoneTrouble::Refused;
}

// A hidden tab gets no frames at all; showing again, the wake lock is asked
// for anew (the browser lets go of it while hidden). The microphone is let
// go while hidden, as for a phone call, so that the phone's microphone
// indicator goes off, and taken again when the page shows (without a prompt
// where the permission stands; not after a refusal, which the user mends in
// the site's settings).
void WebApp::setVisible(bool shows)
{
    if (shows == visible)
        return;
    visible = shows;
    window.holdOffScreenSaver(shows);
    if (shows) {
        delegate.applicationDidBecomeActive();
        if (gestured && !micRefused)
            interruptions.didEnterForeground();
        interruptions.inBackground = false;
    } else {
        delegate.applicationWillResignActive();
        if (gestured)
            interruptions.willEnterBackground();
        clips.stop();  // a hidden page ends its clip, which is kept
    }
}

void WebApp::handle(const InputEvent& e)
{
    switch (e.type) {
    case InputEvent::PointerUp:
    case InputEvent::TouchUp:
        gesture();
        break;
    case InputEvent::KeyDown:
        gesture();
        if (e.key == Key::F11) {
            if (!e.repeat)
                window.toggleFullscreen();
            return;
        }
        if (e.key == Key::F9) {  // as on the desktop
            if (!e.repeat)
                clips.toggle(view->layer().drawableWidth(), view->layer().drawableHeight());
            return;
        }
        if (input.handle(e))  // T while he is held, and the screens' keys
            return;
        if (e.key == Key::Escape) {
            window.leaveFullscreen();
            return;
        }
        accelerometer.handleEvent(e);  // the virtual phone
        return;
    case InputEvent::KeyUp:
        accelerometer.handleEvent(e);
        return;
    case InputEvent::Resized:
        layout();
        return;
    case InputEvent::GraphicsLost:
        // Nothing can be drawn: the frames stop, and he with them, until
        // the context is back (the frame count stops too).
        logLine("graphics: the browser took the GL context away; waiting for it to come back");
        graphicsLost = true;
        view->stopAnimation();
        return;
    case InputEvent::GraphicsRestored:
        logLine("graphics: the GL context is back; drawing him again");
        graphicsLost = false;
        view->graphicsRestored();
        composited = ~uint64_t(0);
        view->startAnimation();
        return;
    case InputEvent::Hidden:
        setVisible(false);
        return;
    case InputEvent::Shown:
        setVisible(true);
        return;
    default:
        break;
    }
    input.handle(e);
}

}  // namespace zorbel

// Frames the scene has drawn since the page opened (benchmarks read it).
extern "C" EMSCRIPTEN_KEEPALIVE double zorbelFramesDrawn()
{
    return zorbel::g_app ? static_cast<double>(zorbel::g_app->framesDrawn()) : 0;
}
