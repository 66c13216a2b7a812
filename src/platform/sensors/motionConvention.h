#pragma once

// Which way a browser's devicemotion reading points. The W3C text, Chrome on
// Android and Firefox give +9.81 m/s^2 on +y for a phone held upright (the
// reading points away from the floor). WebKit on iOS builds the reading from
// CoreMotion's gravity, which points toward the floor: every axis reversed.
// Its deviceorientation angles follow the W3C text, as everyone's do, so the
// angles are the evidence; before any arrive, iOS's WebKit is known by what
// only it has (accelerometerWeb.cpp) and taken to reverse.

namespace zorbel {

struct MotionConvention {
    int sign = 1;               // +1: away from the floor (W3C); -1: toward it (iOS)
    bool fromEvidence = false;  // the sign was read off the orientation angles
    bool haveOrientation = false;
    double beta = 0, gamma = 0;  // the latest angles, in degrees
    int against = 0;             // clear readings in a row against the sign
};

// The convention before any evidence, on iOS's WebKit or another browser.
MotionConvention initialMotionConvention(bool iosWebKit);

// A deviceorientation event's beta (front to back, -180..180) and gamma
// (left to right, -90..90), in degrees. Non-finite angles are ignored.
void noteOrientation(MotionConvention& c, double beta, double gamma);

// A devicemotion reading with gravity, in m/s^2 on the device's axes. Held
// against the latest angles: a reading of about 1 g clearly along the up
// they give, or against it, is a vote; a few votes in a row against the sign
// turn it. True when the sign turned.
bool noteMotion(MotionConvention& c, double x, double y, double z);

}  // namespace zorbel
