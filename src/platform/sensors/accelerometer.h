#pragma once

// Gravity and shakes in g, on the axes of a device held upright (y = -1 at
// rest). On the desktop: a device accelerometer if SDL has one, else a game
// controller's motion sensor, else the keyboard-driven virtual phone. In the
// browser: the page's devicemotion events, else the virtual phone.

#include <cstdint>

#include "platform/kit/keys.h"
#include "platform/sensors/virtualPhone.h"

namespace zorbel {

struct InputEvent;

constexpr double kStandardGravity = 9.80665;  // m/s^2 in 1 g

// SDL reports m/s^2 with +9.81 on +y for a device at rest upright; the
// figure's gravity wants -1 g there. Non-finite values pass through unchanged.
Reading readingFromSdlAccel(const float ms2[3]);

// A browser's devicemotion reading with gravity (m/s^2 on the device's axes)
// in g on the phone's axes, for a page shown turned by screenAngleDeg (the
// screen orientation's angle, counter-clockwise), so that gravity points to
// the real floor whichever way the page shows. sign +1: the reading points
// away from the floor, as the W3C has it (+9.81 on +y for a phone held
// upright); -1: toward it, as iOS's WebKit gives it (see motionConvention.h).
Reading readingFromDeviceMotion(double x, double y, double z, double screenAngleDeg, int sign);

class Accelerometer {
public:
    enum class Source { keyboard, sensor, controller };

    Accelerometer() = default;
    ~Accelerometer();
    Accelerometer(const Accelerometer&) = delete;
    Accelerometer& operator=(const Accelerometer&) = delete;

    // Picks the source: on the desktop it initialises SDL's sensor and game
    // controller subsystems (harmless if already done); in the browser it
    // listens for motion, which takes over from the keys when it comes.
    // Until then, and if that fails, the keyboard drives the virtual phone.
    void start();
#ifdef __EMSCRIPTEN__
    // Asks for motion where the browser wants the user's leave (iOS); must
    // run inside a touch or click. Does nothing elsewhere or a second time.
    void requestPermission();
    // A reading from the page's motion events; from now on they are the source.
    void motionReading(const Reading& r);
#endif

    // Keyboard keys for the virtual phone; controllers coming and going.
    void handleEvent(const InputEvent& e);

    // The latest reading from the current source, in g on the phone's axes.
    // dtSeconds moves the virtual phone on. False if the device read failed.
    bool poll(double dtSeconds, double& x, double& y, double& z);

    Source source() const
    {
        return source_;
    }
    const char* sourceName() const;  // "sensor", "controller", "keyboard"
    const VirtualPhone& virtualPhone() const
    {
        return phone_;
    }

    // Lines describing the virtual phone's keys, for --help.
    static const char* keysHelp();

private:
    void handleKey(Key key, bool down);
    bool openController(int deviceIndex);
    void controllerRemoved(std::int32_t instanceId);
    void closeDevice();

    bool started_ = false;
    Source source_ = Source::keyboard;
    std::int32_t deviceId_ = -1;  // SDL instance id of the open sensor or controller
    VirtualPhone phone_;
    bool left_ = false, right_ = false, up_ = false, down_ = false;
    bool loggedBadDt_ = false;
    Reading motion_;  // the browser's latest motion reading
    bool loggedPermission_ = false;
};

}  // namespace zorbel
