#include "platform/sensors/virtualPhone.h"

#include <algorithm>
#include <cmath>

namespace zorbel {

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kRadPerDeg = kPi / 180.0;
// The jolt leans this far sideways from "up the world" on the screen.
constexpr double kShakeLeanDeg = 30.0;

int direction(int dir)
{
    return (dir > 0) - (dir < 0);
}

// The shake's shape over u = 0..1 of its duration: (1 - u) sin(3 pi u), a kick
// up, a recoil, a small rebound, fading to nothing. This is its antiderivative.
double pulseIntegral(double u)
{
    const double k = 3.0 * kPi;
    return -(1.0 - u) * std::cos(k * u) / k - std::sin(k * u) / (k * k);
}

// Mean of the pulse over [u0, u1]; the part past u = 1 counts as zero. A mean
// rather than a sample, so a long step still feels the jolt it covered.
double pulseMean(double u0, double u1)
{
    if (u0 >= 1.0)
        return 0.0;
    if (u1 <= u0)
        return (1.0 - u0) * std::sin(3.0 * kPi * u0);
    return (pulseIntegral(std::min(u1, 1.0)) - pulseIntegral(u0)) / (u1 - u0);
}

}  // namespace

Reading gravityFor(double turnDeg, double layDeg)
{
    const double turn = turnDeg * kRadPerDeg;
    const double lay = layDeg * kRadPerDeg;
    return {std::sin(turn) * std::cos(lay), -std::cos(turn) * std::cos(lay), -std::sin(lay)};
}

void VirtualPhone::setTurning(int dir)
{
    turning_ = direction(dir);
}

void VirtualPhone::setLaying(int dir)
{
    laying_ = direction(dir);
}

void VirtualPhone::shake()
{
    shaking_ = true;
    shakeElapsed_ = 0.0;
    shakeSide_ = -shakeSide_;
}

void VirtualPhone::reset()
{
    turnDeg_ = 0.0;
    layDeg_ = 0.0;
    shaking_ = false;
    shakeElapsed_ = 0.0;
}

Reading VirtualPhone::advance(double dtSeconds)
{
    const double dt = (std::isfinite(dtSeconds) && dtSeconds > 0.0) ? dtSeconds : 0.0;

    // Free turning: wraps past 180 degrees so the phone can go upside down.
    turnDeg_ = std::remainder(turnDeg_ + turning_ * kTurnRateDegPerSec * dt, 360.0);
    layDeg_ = std::clamp(layDeg_ + laying_ * kLayRateDegPerSec * dt, 0.0, kMaxLayDeg);

    Reading r = gravityFor(turnDeg_, layDeg_);
    if (!shaking_)
        return r;

    const double u0 = shakeElapsed_ / kShakeSeconds;
    shakeElapsed_ += dt;
    const double u1 = shakeElapsed_ / kShakeSeconds;
    if (u1 >= 1.0)
        shaking_ = false;

    // The jolt lies in the screen plane, mostly against gravity (so the figure
    // hops) and leaning to one side.
    const double turn = turnDeg_ * kRadPerDeg;
    const double lean = kShakeLeanDeg * kRadPerDeg;
    const double upX = -std::sin(turn), upY = std::cos(turn);
    const double sideX = std::cos(turn) * shakeSide_, sideY = std::sin(turn) * shakeSide_;
    const double g = kShakeStrengthG * pulseMean(u0, u1);
    r.x += g * (upX * std::cos(lean) + sideX * std::sin(lean));
    r.y += g * (upY * std::cos(lean) + sideY * std::sin(lean));
    return r;
}

}  // namespace zorbel
