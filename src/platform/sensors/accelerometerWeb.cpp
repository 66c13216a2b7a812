// The accelerometer in the browser: devicemotion, the page's readings with
// gravity, the right way up (motionConvention.h) and turned by the screen's
// orientation. Until the first reading comes (a desktop browser has none,
// and iOS gives none before the user allows it) the keys drive the virtual
// phone.
#include "platform/sensors/accelerometer.h"

#include "platform/log/log.h"
#include "platform/sensors/motionConvention.h"
#include "platform/window/inputEvent.h"

#include <emscripten/emscripten.h>

#include <cmath>

namespace zorbel {

namespace {

Accelerometer* g_listening = nullptr;  // the one the page's motion goes to
MotionConvention g_convention;         // which way this browser's readings point

// clang-format off
// Listens for devicemotion and deviceorientation. A reading's members are
// null where the device has no such sensor (Chromium also sends one event of
// nulls when its sensor goes): only whole readings are passed on, motion
// with the angle the page shows at (counter-clockwise from the device's
// natural orientation, in degrees). 0 without motion events; else 2 where
// the browser is iOS's WebKit, 1 elsewhere. iOS's WebKit asks for leave to
// give motion, but so does Chromium now: what only iOS's WebKit has besides
// is GestureEvent (Safari on a Mac has it too, but no motion events).
EM_JS(int, jsListenForMotion, (), {
    if (typeof window == "undefined" || !("DeviceMotionEvent" in window))
        return 0;
    window.addEventListener("deviceorientation", function(e) {
        if (typeof e.beta == "number" && typeof e.gamma == "number")
            _zorbelDeviceOrientation(e.beta, e.gamma);
    });
    window.addEventListener("devicemotion", function(e) {
        const g = e.accelerationIncludingGravity;
        if (!g || typeof g.x != "number" || typeof g.y != "number" || typeof g.z != "number")
            return;
        let angle = 0;
        if (screen.orientation && typeof screen.orientation.angle == "number")
            angle = screen.orientation.angle;
        else if (typeof window.orientation == "number")
            angle = window.orientation;
        _zorbelDeviceMotion(g.x, g.y, g.z, angle);
    });
    return typeof DeviceMotionEvent.requestPermission == "function" && "GestureEvent" in window ? 2 : 1;
});

// iOS hands out motion and orientation only after the user allows them,
// asked from a gesture. Both are asked in the same one: iOS shows a single
// prompt for the two.
EM_JS(void, jsAskForMotion, (), {
    const ask = function(kind, what) {
        if (typeof kind == "undefined" || typeof kind.requestPermission != "function")
            return;
        kind.requestPermission()
            .then(function(answer) {
                if (answer != "granted")
                    console.log("accelerometer: " + what + " was not allowed; the keys move the board");
            })
            .catch(function(e) { console.log("accelerometer: " + what + " cannot be asked for: " + e); });
    };
    ask(window.DeviceMotionEvent, "motion");
    ask(window.DeviceOrientationEvent, "orientation");
});
// clang-format on

}  // namespace

Accelerometer::~Accelerometer()
{
    if (g_listening == this)
        g_listening = nullptr;
}

void Accelerometer::start()
{
    if (started_)
        return;
    started_ = true;
    if (g_listening) {
        logLine("accelerometer: the page's motion already goes to another accelerometer");
        return;
    }
    g_listening = this;
    const int listening = jsListenForMotion();
    if (!listening)
        logLine("accelerometer: this browser has no motion events; the keys move the board");
    g_convention = initialMotionConvention(listening == 2);
}

void Accelerometer::requestPermission()
{
    if (!loggedPermission_) {
        loggedPermission_ = true;
        jsAskForMotion();
    }
}

void Accelerometer::motionReading(const Reading& r)
{
    if (source_ != Source::sensor)
        logLine("accelerometer: using the device's motion");
    source_ = Source::sensor;
    motion_ = r;
}

void Accelerometer::handleEvent(const InputEvent& e)
{
    if (e.type == InputEvent::KeyDown && !e.repeat)
        handleKey(e.key, true);
    else if (e.type == InputEvent::KeyUp)
        handleKey(e.key, false);
}

bool Accelerometer::poll(double dtSeconds, double& x, double& y, double& z)
{
    Reading r = source_ == Source::sensor ? motion_ : phone_.advance(dtSeconds);
    x = r.x;
    y = r.y;
    z = r.z;
    return true;
}

}  // namespace zorbel

// One reading from the page's listener, in m/s^2 on the device's axes.
extern "C" EMSCRIPTEN_KEEPALIVE void zorbelDeviceMotion(double x, double y, double z, double screenAngleDeg)
{
    using zorbel::g_convention;
    if (zorbel::noteMotion(g_convention, x, y, z))
        zorbel::logLine("accelerometer: this browser's motion points %s the floor, as its orientation shows",
                        g_convention.sign < 0 ? "toward" : "away from");
    const zorbel::Reading r = zorbel::readingFromDeviceMotion(x, y, z, screenAngleDeg, g_convention.sign);
    if (zorbel::g_listening && std::isfinite(r.x) && std::isfinite(r.y) && std::isfinite(r.z))
        zorbel::g_listening->motionReading(r);
}

// The device's orientation angles, in degrees: the evidence of which way
// its motion readings point.
extern "C" EMSCRIPTEN_KEEPALIVE void zorbelDeviceOrientation(double beta, double gamma)
{
    zorbel::noteOrientation(zorbel::g_convention, beta, gamma);
}
