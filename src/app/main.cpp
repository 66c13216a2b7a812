// Zorbel on the desktop: one window, one thread, the GL view's frame timer,
// the accelerometer stand-in, and the mouse or real fingers as touches.
#include "app/iZorbelAppDelegate.h"
#include "app/pointerTouches.h"
#include "platform/gles/EAGLLayer.h"
#include "platform/log/log.h"
#include "platform/sensors/accelerometer.h"
#include "platform/window/AppWindow.h"
#include "platform/window/RunLoop.h"
#include "platform/window/inputEvent.h"
#include "view/EAGLView.h"

#include <cmath>
#include <cstdio>
#include <cstring>

namespace zorbel {
namespace {

const char kHelp[] =
    "usage: zorbel [--help] [--version]\n"
    "A chalk stick figure on a blackboard. Tilt and shake the board, grab him, tack him down,\n"
    "play music and he dances.\n"
    "\n"
    "Mouse and touch:\n"
    "  drag with the left button      grab him anywhere and pull (one finger)\n"
    "  Alt + drag                     a second finger, mirrored about the board's centre\n"
    "  real touches                   up to ten fingers at once\n"
    "  lower left corner              tack every grabbed point to the board\n"
    "  lower right corner             the info icon\n"
    "\n"
    "Keys (a virtual phone, when no accelerometer or motion controller is found):\n"
    "  Left, Right                    turn the phone while held\n"
    "  Up, Down                       lay it towards flat on its back, and back up\n"
    "  Space                          shake it\n"
    "  Home                           stand it upright again\n"
    "  F11                            toggle fullscreen; Escape leaves it\n"
    "\n"
    "Files:\n"
    "  $XDG_CONFIG_HOME/zorbel/preferences.ini   settings (default ~/.config/zorbel/)\n"
    "  $XDG_DATA_HOME/zorbel/customface.png      the custom face (default ~/.local/share/zorbel/)\n";

class DesktopApp {
public:
    bool start();
    void run() { runLoop.run(); }
    ~DesktopApp();

private:
    void handle(const SDL_Event& event);
    void layout();
    void touches(int phase, const TouchPoint* points, int count);

    AppWindow window;
    RunLoop runLoop;
    Accelerometer accelerometer;
    std::unique_ptr<EAGLView> view;
    iZorbelAppDelegate delegate;
    PointerTouches pointer;
    int accelerometerTimer = 0;
    uint64_t composited = ~uint64_t(0);
    bool mustComposite = true;
};

DesktopApp::~DesktopApp()
{
    if (accelerometerTimer)
        runLoop.invalidateTimer(accelerometerTimer);
    view.reset();  // before the window's context goes
}

bool DesktopApp::start()
{
    disableSyntheticTouches();
    if (!window.open("Zorbel"))
        return false;
    view = EAGLView::initWithContext(window.sharedContext(), &runLoop);
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
    runLoop.setRefreshHandler([this] {
        const uint64_t presented = view->layer().presentCount();
        if (presented == composited && !mustComposite)
            return;
        window.composite(view->layer());
        composited = presented;
        mustComposite = false;
    });
    layout();
    return true;
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
            points[0] = {e.x, e.y};
            touches(0, points, 1);
        }
        break;
    case InputEvent::TouchMove:
    case InputEvent::TouchUp:
        points[0] = {e.x, e.y};
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
    default:
        break;
    }
}

}  // namespace
}  // namespace zorbel

int main(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--help") || !std::strcmp(argv[i], "-h")) {
            std::fputs(zorbel::kHelp, stdout);
            return 0;
        }
        if (!std::strcmp(argv[i], "--version")) {
            std::printf("zorbel %s\n", ZORBEL_VERSION);
            return 0;
        }
        std::fprintf(stderr, "zorbel: unknown option %s\n%s", argv[i], zorbel::kHelp);
        return 2;
    }
    zorbel::DesktopApp app;
    if (!app.start())
        return 1;
    app.run();
    return 0;
}
