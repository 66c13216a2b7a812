#include "app/desktopApp.h"

#include "audio/audioInMeter.h"
#include "audio/audioInput.h"
#include "platform/audio/sdlAudioInput.h"
#include "platform/gles/EAGLLayer.h"
#include "platform/log/log.h"
#include "platform/window/inputEvent.h"
#include "view/EAGLView.h"

#include <cmath>

namespace zorbel {

DesktopApp::DesktopApp() = default;

DesktopApp::~DesktopApp()
{
    stopAudioInMeter(0);
    if (accelerometerTimer)
        runLoop.invalidateTimer(accelerometerTimer);
    view.reset();  // before the window's context goes
}

bool DesktopApp::start()
{
    disableSyntheticTouches();
    if (!window.open("Zorbel"))
        return false;
    setAudioQueueOpener(openSdlAudioInput);
    view = EAGLView::initWithContext(window.sharedContext(), &runLoop);
    dropPendingDeviceArrivals();
    if (!view) {
        logLine("##### The GL view cannot be created");
        return false;
    }
    accelerometer.start();
    delegate.glView = view.get();
    delegate.startAccelerometer = [this](double interval) {
        accelerometerTimer = runLoop.addRepeatingTimer(interval, [this, interval] {
            double x, y, z;
            if (accelerometer.poll(interval, x, y, z))
                delegate.accelerometerDidAccelerate(x, y, z);
        });
    };
    delegate.applicationDidFinishLaunching();

    runLoop.setEventHandler([this](const SDL_Event& e) { handle(e); });
    runLoop.setRefreshHandler([this] { composite(); });
    layout();
    composite();
    return true;
}

// Shows the GL layer's last picture, when there is a new one to show.
void DesktopApp::composite()
{
    const uint64_t presented = view->layer().presentCount();
    if (presented == composited && !mustComposite)
        return;
    window.composite(view->layer());
    composited = presented;
    mustComposite = false;
}

// Sizes the GL layer to the window's pixels and rebuilds the framebuffer,
// which draws a frame at once.
void DesktopApp::layout()
{
    const float ppp = window.pixelsPerPoint();
    view->layer().setDrawableSize(static_cast<int>(std::lround(320.0f * ppp)),
                                  static_cast<int>(std::lround(480.0f * ppp)));
    view->layoutSubviews();
    mustComposite = true;
}

void DesktopApp::touches(int phase, const TouchPoint* points, int count)
{
    if (count == 0)
        return;
    if (phase == 0)
        view->touchesBegan(points, count);
    else if (phase == 1)
        view->touchesMoved(points, count);
    else
        view->touchesEnded(points, count);
}

void DesktopApp::handle(const SDL_Event& event)
{
    accelerometer.handleEvent(event);
    const InputEvent e = translateEvent(event, window);
    TouchPoint points[2];
    switch (e.type) {
    case InputEvent::PointerDown:
        if (e.onScreen)
            touches(0, points, pointer.down(e.x, e.y, e.alt, points));
        break;
    case InputEvent::PointerMove:
        touches(1, points, pointer.move(e.x, e.y, points));
        break;
    case InputEvent::PointerUp:
        touches(2, points, pointer.up(e.x, e.y, points));
        break;
    case InputEvent::TouchDown:
        if (e.onScreen) {
            points[0] = { e.x, e.y };
            touches(0, points, 1);
        }
        break;
    case InputEvent::TouchMove:
    case InputEvent::TouchUp:
        points[0] = { e.x, e.y };
        touches(e.type == InputEvent::TouchMove ? 1 : 2, points, 1);
        break;
    case InputEvent::KeyDown:
        if (e.key == InputKey::F11 && !e.repeat)
            window.toggleFullscreen();
        else if (e.key == InputKey::Escape)
            window.leaveFullscreen();
        break;
    case InputEvent::FocusLost:
        delegate.applicationWillResignActive();
        break;
    case InputEvent::FocusGained:
        delegate.applicationDidBecomeActive();
        mustComposite = true;
        break;
    case InputEvent::Resized:
        layout();
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
