#include "app/desktopApp.h"

#include "audio/audioInMeter.h"
#include "audio/audioInput.h"
#include "platform/audio/sdlAudioInput.h"
#include "platform/gles/EAGLContext.h"
#include "platform/gles/EAGLLayer.h"
#include "platform/imaging/image.h"
#include "platform/files/files.h"
#include "platform/imaging/resources.h"
#include "ui/notice.h"
#include "ui/screens.h"
#include "ui/wording.h"
#include "platform/log/log.h"
#include "platform/window/inputEvent.h"
#include "view/EAGLView.h"
#include "view/textureUpload.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <unistd.h>

namespace zorbel {

DesktopApp::DesktopApp() : input(screen) {}

DesktopApp::~DesktopApp()
{
    saveWindowPlacement(window.placement());
    for (std::thread& writer : screenshotWriters)
        writer.join();
    if (soundServerProbe.joinable())
        soundServerProbe.join();
    stopAudioInMeter(0);
    setNoticeHost({});
    for (int timer : {accelerometerTimer, soundServerTimer, clipTimer})
        runLoop.invalidateTimer(timer);
    if (screensTexture && EAGLContext::setCurrentContext(window.context()))
        glDeleteTextures(1, &screensTexture);
    setMainThreadWakeUp(nullptr);
    if (view) {
        EventScope scope;  // the tree lets go of the GL view and what is over it
        view->removeFromSuperview();
    }
    view.reset();  // before the window's context goes
}

bool DesktopApp::start()
{
    disableSyntheticTouches();
    if (!window.open("Zorbel", loadWindowPlacement()))
        return false;
    RGBAImage icon;
    if (loadPNG(resourcePath("icons/zorbel-64x64.png"), icon))
        window.setIcon(icon);
    startListening();
    view = EAGLView::initWithContext(window.sharedContext(), &runLoop);
    dropPendingDeviceArrivals();
    if (!view) {
        logLine("##### The GL view cannot be created");
        return false;
    }
    accelerometer.start();
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
    setWording(Wording::Desktop);
    installScreens(screen, view);
    setNoticeHost(noticeHost(screen, runLoop, [this] { return view ? view->figureBounds() : Rect{}; }));
    sayWhyNothingIsHeard();
    setMainThreadWakeUp(RunLoop::wakeUp);

    runLoop.setEventWindow(&window);
    runLoop.setEventHandler([this](const InputEvent& e) { handle(e); });
    runLoop.setRefreshHandler([this] {
        runMainThreadTasks();
        composite();
    });
    clipTimer = runLoop.addRepeatingTimer(0.25, [this] { clips.tick(); });
    layout();
    composite();
    return true;
}

// Shows the GL layer's last picture and the views over it, when either changed.
void DesktopApp::composite()
{
    const uint64_t presented = view->layer().presentCount();
    const bool screensChanged = screen.needsDisplay();
    if (presented == composited && !mustComposite && !screensChanged)
        return;
    if (screensChanged)
        uploadScreens();
    window.composite(view->layer(), screensShown ? screensTexture : 0, 1, 1, screensPart, screensChanged);
    if (presented != composited)
        recordFrame();
    composited = presented;
    mustComposite = false;
}

// The board as the scene drew it (the screens, the mark and notices are not
// in it) goes into the clip, 30 times a second.
void DesktopApp::recordFrame()
{
    if (!clips.recorder.wantsFrame())
        return;
    int width = 0, height = 0;
    if (view->layer().readPresentedPixels(clipPicture, width, height))
        clips.recorder.addFrame(clipPicture.data(), width, height);
}

void DesktopApp::toggleClip()
{
    clips.toggle(view->layer().drawableWidth(), view->layer().drawableHeight());
}

// Draws the views over the scene at the window's pixel scale into a texture.
void DesktopApp::uploadScreens()
{
    screensShown = !onlyTheScene(screen, *view);
    const Rect cover = screensCover(screen, *view);
    screensPart = {cover.x / kScreenWidth, cover.y / kScreenHeight, (cover.x + cover.width) / kScreenWidth,
                   (cover.y + cover.height) / kScreenHeight};
    const float ppp = window.pixelsPerPoint();
    RGBAImage picture;
    screen.render(static_cast<int>(std::lround(kScreenWidth * ppp)), static_cast<int>(std::lround(kScreenHeight * ppp)),
                  picture);
    if (!screensShown)
        return;
    EAGLContext::setCurrentContext(window.context());
    screensTexture = uploadTexture(picture, screensTexture);
    // Scaled to the window, its edges must not blend with the opposite ones.
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glBindTexture(GL_TEXTURE_2D, 0);
}

// Sizes the GL layer to the window's pixels and rebuilds the framebuffer,
// which draws a frame at once.
void DesktopApp::layout()
{
    const float ppp = window.pixelsPerPoint();
    view->layer().setDrawableSize(static_cast<int>(std::lround(kScreenWidth * ppp)),
                                  static_cast<int>(std::lround(kScreenHeight * ppp)));
    view->layoutSubviews();
    mustComposite = true;
}

// F12: the window's picture (the scene and the screens over it) as a PNG in
// the Pictures folder. The read-back happens here; encoding and writing run
// on a thread of their own, so the frame loop never waits for them.
void DesktopApp::saveScreenshot()
{
    if (screen.needsDisplay())  // a screen just closed (the menu) is not in the picture
        uploadScreens();
    window.drawComposite(view->layer(), screensShown ? screensTexture : 0, 1, 1, screensPart);
    RGBAImage whole;
    const bool read = window.readDrawablePixels(whole.pixels, whole.width, whole.height);
    window.swap();
    if (!read)
        return;
    // Only the screen, without the bars around it.
    const PixelRect r =
        letterboxPixelRect(fitLetterbox(static_cast<float>(whole.width), static_cast<float>(whole.height)));
    RGBAImage shot;
    shot.width = std::max(0, std::min(r.width, whole.width - r.x));
    shot.height = std::max(0, std::min(r.height, whole.height - r.y));
    shot.pixels.resize(static_cast<size_t>(shot.width) * shot.height * 4);
    for (int y = 0; y < shot.height; ++y)
        std::copy_n(&whole.pixels[(static_cast<size_t>(y + r.y) * whole.width + r.x) * 4], shot.width * 4,
                    &shot.pixels[static_cast<size_t>(y) * shot.width * 4]);
    for (size_t i = 3; i < shot.pixels.size(); i += 4)
        shot.pixels[i] = 255;

    char name[64];
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    std::strftime(name, sizeof name, "Zorbel-%Y-%m-%d-%H%M%S", &local);
    std::string path = picturesDir() + "/" + name + ".png";
    for (int n = 2; access(path.c_str(), F_OK) == 0; ++n)
        path = picturesDir() + "/" + name + "-" + std::to_string(n) + ".png";

    const std::weak_ptr<char> app = alive;
    screenshotWriters.emplace_back([shot = std::move(shot), path, app] {
        std::vector<uint8_t> png;
        std::string error = "cannot encode the picture";
        const bool saved = encodePNG(shot, png) && writeFileAtomically(path, png.data(), png.size(), error);
        if (saved)
            logLine("Screenshot saved: %s", path.c_str());
        else
            logLine("Cannot save the screenshot %s: %s", path.c_str(), error.c_str());
        // The board says so too, naming the file from the home folder.
        const char* home = std::getenv("HOME");
        std::string shown = path;
        if (home && *home && shown.rfind(std::string(home) + "/", 0) == 0)
            shown = "~" + shown.substr(std::strlen(home));
        const std::string text = saved ? "Screenshot saved: " + shown
                                       : "The screenshot cannot be saved in " + shown + ": " + error +
                                             ". Free some space there, then try again.";
        runOnMainThread([app, text] {
            if (!app.expired())
                showNotice(text);
        });
    });
}

// Full speed whenever the window shows, focused or not: the user may be
// choosing music in another window. Slow only while nothing of it shows.
void DesktopApp::setVisible(bool shows)
{
    if (shows == visible)
        return;
    visible = shows;
    window.holdOffScreenSaver(shows);
    if (shows) {
        delegate.applicationDidBecomeActive();
    } else {
        delegate.applicationWillResignActive();
        clips.stop();  // nothing of the board shows: the clip ends, and is kept
    }
}

bool DesktopApp::keyDown(const InputEvent& e)
{
    if (e.key == Key::Q && e.ctrl) {
        RunLoop::postQuitEvent();  // quits as closing the window does
        return true;
    }
    if (e.key == Key::F11) {
        if (!e.repeat)
            window.toggleFullscreen();
        return true;
    }
    if (e.key == Key::F12) {
        if (!e.repeat)
            saveScreenshot();
        return true;
    }
    if (e.key == Key::F9) {
        if (!e.repeat)
            toggleClip();
        return true;
    }
    if (e.key == Key::F10 || e.key == Key::Menu) {
        if (!e.repeat)
            toggleMenu();
        return true;
    }
    if (input.handle(e))  // T while he is held, and the screens' keys
        return true;
    if (e.key == Key::Escape) {
        window.leaveFullscreen();
        return true;
    }
    return false;
}

void DesktopApp::handle(const InputEvent& e)
{
    // Keys a screen or the shell used do not also turn the virtual phone.
    if (e.type == InputEvent::KeyDown) {
        if (!keyDown(e))
            accelerometer.handleEvent(e);
        return;
    }
    accelerometer.handleEvent(e);
    if (input.handle(e))
        return;
    switch (e.type) {
    case InputEvent::SecondaryDown:  // not tapping a tack: the menu
        if (e.onScreen && !input.pointerIsDown())
            toggleMenu();
        break;
    case InputEvent::FileDropped:
        photoDropped(view, e.path);
        break;
    case InputEvent::Hidden:
        setVisible(false);
        break;
    case InputEvent::Shown:
        setVisible(true);
        window.redrawAll();
        mustComposite = true;
        break;
    case InputEvent::Resized:
        layout();
        break;
    case InputEvent::Quit:
        storeOpenSettings(screen);
        break;
    case InputEvent::CaptureDeviceRemoved:
        interruptions.captureDeviceRemoved(e.device, runningCaptureDevice());
        break;
    case InputEvent::CaptureDeviceAdded:
        interruptions.captureDeviceAdded();
        break;
    case InputEvent::WillEnterBackground:
        interruptions.willEnterBackground();
        break;
    case InputEvent::DidEnterForeground:
        interruptions.didEnterForeground();
        break;
    default:
        break;
    }
}

}  // namespace zorbel
