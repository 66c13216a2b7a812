// The accelerometer in the browser: devicemotion, the page's readings with
// gravity, turned by the screen's orientation. Until the first reading comes
// (a desktop browser has none, and iOS gives none before the user allows
// it) the keys drive the virtual phone.
#include "platform/sensors/accelerometer.h"

#include "platform/log/log.h"
#include "platform/window/inputEvent.h"

#include <emscripten/emscripten.h>

#include <cmath>

namespace zorbel {

namespace {

Accelerometer* g_listening = nullptr;  // the one the page's motion goes to

// clang-format off
// Listens for devicemotion. A reading's members are null where the device has
// no such sensor (Chromium also sends one event of nulls when its sensor
// goes): only whole readings are passed on, with the angle the page shows at
// (counter-clockwise from the device's natural orientation, in degrees).
EM_JS(int, jsListenForMotion, (), {
    if (typeof window == "undefined" || !("DeviceMotionEvent" in window))
        return 0;
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
    return 1;
});

// iOS hands out motion only after the user allows it, asked from a gesture.
EM_JS(void, jsAskForMotion, (), {
    if (typeof DeviceMotionEvent == "undefined" || typeof DeviceMotionEvent.requestPermission != "function")
        return;
    DeviceMotionEvent.requestPermission()
        .then(function(answer) {
            if (answer != "granted")
                console.log("accelerometer: motion was not allowed; the keys move the board");
        })
        .catch(function(e) { console.log("accelerometer: motion cannot be asked for: " + e); });
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
    if (!jsListenForMotion())
        logLine("accelerometer: this browser has no motion events; the keys move the board");
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
    const zorbel::Reading r = zorbel::readingFromDeviceMotion(x, y, z, screenAngleDeg);
    if (zorbel::g_listening && std::isfinite(r.x) && std::isfinite(r.y) && std::isfinite(r.z))
        zorbel::g_listening->motionReading(r);
}
