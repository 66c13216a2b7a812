#pragma once

// Gravity and shakes in g, on the axes of a device held upright (y = -1 at
// rest): a device accelerometer if SDL has one, else a game controller's
// motion sensor, else the keyboard-driven virtual phone.

#include <cstdint>

#include "platform/kit/keys.h"
#include "platform/sensors/virtualPhone.h"

namespace zorbel {

struct InputEvent;

constexpr double kStandardGravity = 9.80665;  // m/s^2 in 1 g

// SDL reports m/s^2 with +9.81 on +y for a device at rest upright; the
// figure's gravity wants -1 g there. Non-finite values pass through unchanged.
Reading readingFromSdlAccel(const float ms2[3]);

class Accelerometer {
public:
    enum class Source { keyboard, sensor, controller };

    Accelerometer() = default;
    ~Accelerometer();
    Accelerometer(const Accelerometer&) = delete;
    Accelerometer& operator=(const Accelerometer&) = delete;

    // Initialises SDL's sensor and game controller subsystems (harmless if
    // already done) and picks the source. Until then, and if SDL fails, the
    // keyboard drives the virtual phone.
    void start();

    // Keyboard keys for the virtual phone; controllers coming and going.
    void handleEvent(const InputEvent& e);

    // The latest reading from the current source, in g on the phone's axes.
    // dtSeconds moves the virtual phone on. False if the device read failed.
    bool poll(double dtSeconds, double& x, double& y, double& z);

    Source source() const { return source_; }
    const char* sourceName() const;  // "sensor", "controller", "keyboard"
    const VirtualPhone& virtualPhone() const { return phone_; }

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
};

}  // namespace zorbel
