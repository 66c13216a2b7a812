#include "platform/sensors/motionConvention.h"

#include "platform/sensors/accelerometer.h"

#include <cmath>

namespace zorbel {

namespace {

// Votes in a row it takes to turn the sign: a reading taken mid-turn, while
// the angles lag behind, never turns it alone.
constexpr int kVotesToTurn = 3;

// How closely a reading has to line up with the angles' up (the cosine of
// the angle between them) to count, and how near 1 g it has to be.
constexpr double kClearCosine = 0.8;
constexpr double kLeastG = 0.7, kMostG = 1.3;

}  // namespace

MotionConvention initialMotionConvention(bool iosWebKit)
{
    MotionConvention c;
    c.sign = iosWebKit ? -1 : 1;
    return c;
}

void noteOrientation(MotionConvention& c, double beta, double gamma)
{
    if (!std::isfinite(beta) || !std::isfinite(gamma))
        return;
    c.haveOrientation = true;
    c.beta = beta;
    c.gamma = gamma;
}

bool noteMotion(MotionConvention& c, double x, double y, double z)
{
    if (!c.haveOrientation || !std::isfinite(x) || !std::isfinite(y) || !std::isfinite(z))
        return false;
    const double g = std::sqrt(x * x + y * y + z * z);
    if (g < kLeastG * kStandardGravity || g > kMostG * kStandardGravity)
        return false;  // shaken, or falling: no evidence
    // Up on the device's axes for these angles (the W3C's frame: alpha about
    // z, then beta about x, then gamma about y, and up is +z of the earth).
    const double b = c.beta * 3.14159265358979323846 / 180.0, gm = c.gamma * 3.14159265358979323846 / 180.0;
    const double ux = -std::cos(b) * std::sin(gm), uy = std::sin(b), uz = std::cos(b) * std::cos(gm);
    const double cosine = (x * ux + y * uy + z * uz) / g;
    if (std::fabs(cosine) < kClearCosine)
        return false;
    const int says = cosine > 0 ? 1 : -1;
    if (says == c.sign) {
        c.against = 0;
        c.fromEvidence = true;
        return false;
    }
    if (++c.against < kVotesToTurn)
        return false;
    c.sign = says;
    c.against = 0;
    c.fromEvidence = true;
    return true;
}

}  // namespace zorbel
