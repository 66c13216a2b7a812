#pragma once

// A phone that exists only in software, tilted and shaken from the keyboard.
// Pure logic: time comes in through advance(), nothing here reads a clock.

namespace zorbel {

// One accelerometer reading on the phone's axes, in g (1 g = 9.80665 m/s^2):
// x to the device's right, y up the screen, z out of the screen.
// Held upright in portrait it reads (0, -1, 0); lying flat on its back (0, 0, -1).
struct Reading {
    double x = 0.0;
    double y = 0.0;
    double z = 0.0;
};

class VirtualPhone {
public:
    static constexpr double kTurnRateDegPerSec = 120.0;
    static constexpr double kLayRateDegPerSec = 90.0;
    static constexpr double kMaxLayDeg = 90.0;
    static constexpr double kShakeSeconds = 0.15;
    static constexpr double kShakeStrengthG = 4.0;  // scale of the jolt; its mean over a 60 Hz tick peaks near 3 g

    // -1 turns counter-clockwise, +1 clockwise (right side down), 0 stops.
    void setTurning(int dir);
    // +1 lays it towards flat on its back, -1 brings it back up, 0 stops.
    void setLaying(int dir);
    // Starts a short jolt; a new shake restarts one already running.
    void shake();
    // Upright, not turned, no shake. Held directions are kept.
    void reset();

    // Moves time on by dtSeconds (negative or non-finite counts as 0) and
    // returns gravity plus shake.
    Reading advance(double dtSeconds);

    double turnDegrees() const { return turnDeg_; }  // in [-180, 180]
    double layDegrees() const { return layDeg_; }    // in [0, 90]
    bool shaking() const { return shaking_; }

private:
    int turning_ = 0;
    int laying_ = 0;
    double turnDeg_ = 0.0;
    double layDeg_ = 0.0;
    bool shaking_ = false;
    double shakeElapsed_ = 0.0;  // seconds since the shake began
    int shakeSide_ = -1;         // sideways lean of the jolt, flips every shake
};

// Gravity on the phone's axes for a phone turned clockwise by turnDeg and laid
// back by layDeg.
Reading gravityFor(double turnDeg, double layDeg);

}  // namespace zorbel
