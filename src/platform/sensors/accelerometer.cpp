// What every platform's accelerometer shares: the virtual phone on the
// keys, and readings in m/s^2 turned into g on the phone's axes.
#include "platform/sensors/accelerometer.h"

#include <cmath>

namespace zorbel {

Reading readingFromSdlAccel(const float ms2[3])
{
    return {-ms2[0] / kStandardGravity, -ms2[1] / kStandardGravity, -ms2[2] / kStandardGravity};
}

Reading readingFromDeviceMotion(double x, double y, double z, double screenAngleDeg, int sign)
{
    // The axes are the device's. A reading that points away from the floor
    // (the W3C's) is the other way round from the phone's gravity.
    const double s0 = sign < 0 ? 1.0 : -1.0;
    const double gx = s0 * x / kStandardGravity, gy = s0 * y / kStandardGravity, gz = s0 * z / kStandardGravity;
    // The page is drawn turned by the screen's angle (counter-clockwise):
    // the same turn brings the device's axes onto the page's.
    const double a = screenAngleDeg * 3.14159265358979323846 / 180.0;
    const double c = std::cos(a), s = std::sin(a);
    return {c * gx - s * gy, s * gx + c * gy, gz};
}

void Accelerometer::handleKey(Key key, bool down)
{
    switch (key) {
    case Key::Left:
        left_ = down;
        break;
    case Key::Right:
        right_ = down;
        break;
    case Key::Up:
        up_ = down;
        break;
    case Key::Down:
        down_ = down;
        break;
    case Key::Space:
        if (down)
            phone_.shake();
        return;
    case Key::Home:
        if (down)
            phone_.reset();
        return;
    default:
        return;
    }
    phone_.setTurning(int(right_) - int(left_));
    phone_.setLaying(int(up_) - int(down_));
}

const char* Accelerometer::sourceName() const
{
    switch (source_) {
    case Source::sensor:
        return "sensor";
    case Source::controller:
        return "controller";
    case Source::keyboard:
        break;
    }
    return "keyboard";
}

const char* Accelerometer::keysHelp()
{
    return "  Left, Right                    turn the phone while held\n"
           "  Up, Down                       lay it towards flat on its back, and back up\n"
           "  Space                          shake it\n"
           "  Home                           stand it upright again\n";
}

}  // namespace zorbel
