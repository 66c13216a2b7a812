// The accelerometer in the browser: devicemotion, the page's readings with
// gravity, turned by the screen's orientation. Until the first reading comes
// (a desktop browser has none, and iOS gives none before the user allows
// it) the keys drive the virtual phone.
#include "platform/sensors/accelerometer.h"

#include "platform/log/log.h"
#include "platform/window/inputEvent.h"

#include <emscripten/emscripten.h>
#include <emscripten/html5.h>

#include <cmath>

namespace zorbel {

namespace {

// clang-format off
// The angle the page shows at, counter-clockwise from the device's natural
// orientation, in degrees.
EM_JS(double, jsScreenAngle, (), {
    if (typeof screen != "undefined" && screen.orientation && typeof screen.orientation.angle == "number")
        return screen.orientation.angle;
    return typeof window != "undefined" && typeof window.orientation == "number" ? window.orientation : 0;
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

EM_BOOL onMotion(int, const EmscriptenDeviceMotionEvent* e, void* self)
{
    // An event without readings (Chromium sends one when its sensor goes) is
    // not a reading.
    if (!(e->supportedFields & EMSCRIPTEN_DEVICE_MOTION_EVENT_SUPPORTS_ACCELERATION_INCLUDING_GRAVITY))
        return EM_FALSE;
    const Reading r = readingFromDeviceMotion(e->accelerationIncludingGravityX, e->accelerationIncludingGravityY,
                                              e->accelerationIncludingGravityZ, jsScreenAngle());
    if (!std::isfinite(r.x) || !std::isfinite(r.y) || !std::isfinite(r.z))
        return EM_FALSE;
    static_cast<Accelerometer*>(self)->motionReading(r);
    return EM_FALSE;
}

}  // namespace

Accelerometer::~Accelerometer()
{
    if (started_)
        emscripten_set_devicemotion_callback(nullptr, EM_FALSE, nullptr);
}

void Accelerometer::start()
{
    if (started_)
        return;
    started_ = emscripten_set_devicemotion_callback(this, EM_FALSE, onMotion) == EMSCRIPTEN_RESULT_SUCCESS;
    if (!started_)
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
