// The accelerometer on the desktop: an SDL sensor, else a game controller's
// motion sensor, else the keys.
#include "platform/sensors/accelerometer.h"

#include <SDL.h>

#include <cmath>

#include "platform/log/log.h"
#include "platform/window/inputEvent.h"

namespace zorbel {

namespace {

constexpr Uint32 kSubsystems = SDL_INIT_SENSOR | SDL_INIT_GAMECONTROLLER;

const char* orUnnamed(const char* name)
{
    return name ? name : "(unnamed)";
}

}  // namespace

Accelerometer::~Accelerometer()
{
    closeDevice();
    if (started_)
        SDL_QuitSubSystem(kSubsystems);
}

void Accelerometer::start()
{
    if (started_)
        return;
    if (SDL_InitSubSystem(kSubsystems) != 0) {
        logLine("accelerometer: no SDL sensors (%s), using keyboard", SDL_GetError());
        return;
    }
    started_ = true;

    for (int i = 0; i < SDL_NumSensors(); ++i) {
        if (SDL_SensorGetDeviceType(i) != SDL_SENSOR_ACCEL)
            continue;
        SDL_Sensor* sensor = SDL_SensorOpen(i);
        if (!sensor)
            continue;
        source_ = Source::sensor;
        deviceId_ = SDL_SensorGetInstanceID(sensor);
        logLine("accelerometer: using sensor %s", orUnnamed(SDL_SensorGetName(sensor)));
        return;
    }
    for (int i = 0; i < SDL_NumJoysticks(); ++i) {
        if (SDL_IsGameController(i) && openController(i))
            return;
    }
    logLine("accelerometer: using keyboard");
}

// Switches to the controller at deviceIndex if it has a motion sensor.
bool Accelerometer::openController(int deviceIndex)
{
    SDL_GameController* ctrl = SDL_GameControllerOpen(deviceIndex);
    if (!ctrl) {
        logLine("accelerometer: cannot open game controller %d: %s", deviceIndex, SDL_GetError());
        return false;
    }
    const SDL_JoystickID id = SDL_JoystickInstanceID(SDL_GameControllerGetJoystick(ctrl));
    if (source_ == Source::controller && id == deviceId_) {
        // Already in use: SDL announces controllers present at start-up again.
        SDL_GameControllerClose(ctrl);
        return true;
    }
    if (!SDL_GameControllerHasSensor(ctrl, SDL_SENSOR_ACCEL) ||
        SDL_GameControllerSetSensorEnabled(ctrl, SDL_SENSOR_ACCEL, SDL_TRUE) != 0) {
        SDL_GameControllerClose(ctrl);
        return false;
    }
    closeDevice();
    source_ = Source::controller;
    deviceId_ = id;
    logLine("accelerometer: using game controller %s", orUnnamed(SDL_GameControllerName(ctrl)));
    return true;
}

void Accelerometer::controllerRemoved(std::int32_t instanceId)
{
    if (source_ != Source::controller || instanceId != deviceId_)
        return;
    closeDevice();
    logLine("accelerometer: game controller gone, using keyboard");
}

void Accelerometer::closeDevice()
{
    if (source_ == Source::sensor) {
        if (SDL_Sensor* sensor = SDL_SensorFromInstanceID(deviceId_))
            SDL_SensorClose(sensor);
    } else if (source_ == Source::controller) {
        if (SDL_GameController* ctrl = SDL_GameControllerFromInstanceID(deviceId_))
            SDL_GameControllerClose(ctrl);
    }
    source_ = Source::keyboard;
    deviceId_ = -1;
}

void Accelerometer::handleEvent(const InputEvent& e)
{
    switch (e.type) {
    case InputEvent::KeyDown:
        if (!e.repeat)
            handleKey(e.key, true);
        break;
    case InputEvent::KeyUp:
        handleKey(e.key, false);
        break;
    case InputEvent::ControllerAdded:
        // A built-in accelerometer outranks any controller.
        if (started_ && source_ != Source::sensor)
            openController(e.controller);
        break;
    case InputEvent::ControllerRemoved:
        if (started_)
            controllerRemoved(e.controller);
        break;
    default:
        break;
    }
}

bool Accelerometer::poll(double dtSeconds, double& x, double& y, double& z)
{
    if (!(std::isfinite(dtSeconds) && dtSeconds >= 0.0) && !loggedBadDt_) {
        logLine("accelerometer: ignoring bad time step %g", dtSeconds);
        loggedBadDt_ = true;
    }
    Reading r;
    float data[3] = {0.0f, 0.0f, 0.0f};
    switch (source_) {
    case Source::keyboard:
        r = phone_.advance(dtSeconds);
        break;
    case Source::sensor: {
        SDL_Sensor* sensor = SDL_SensorFromInstanceID(deviceId_);
        if (!sensor || SDL_SensorGetData(sensor, data, 3) != 0)
            return false;
        r = readingFromSdlAccel(data);
        break;
    }
    case Source::controller: {
        SDL_GameController* ctrl = SDL_GameControllerFromInstanceID(deviceId_);
        if (!ctrl || SDL_GameControllerGetSensorData(ctrl, SDL_SENSOR_ACCEL, data, 3) != 0)
            return false;
        r = readingFromSdlAccel(data);
        break;
    }
    }
    x = r.x;
    y = r.y;
    z = r.z;
    return true;
}

}  // namespace zorbel
