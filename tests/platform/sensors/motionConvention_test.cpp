// Which way a browser's motion readings point, and the gravity he feels
// from them: the W3C's readings and iOS's reversed ones give the same floor.
#include "platform/sensors/accelerometer.h"
#include "platform/sensors/motionConvention.h"

#include <gtest/gtest.h>

#include <cmath>

namespace zorbel {
namespace {

constexpr double G = kStandardGravity;

// A phone held in four ways: its orientation angles and, by the W3C's
// convention, its reading (m/s^2, away from the floor); the gravity the
// figure must feel, in g on the phone's axes (y = -1 upright).
struct Pose {
    const char* name;
    double beta, gamma;
    double x, y, z;
    double gx, gy;
};
const Pose kPoses[] = {
    {"upright", 90, 0, 0, G, 0, 0, -1},
    {"left edge down", 0, -90, G, 0, 0, -1, 0},
    {"right edge down", 0, 90, -G, 0, 0, 1, 0},
    {"upside down", -90, 0, 0, -G, 0, 0, 1},
};

TEST(MotionConvention, BothConventionsGiveTheSameFloorInEveryPose)
{
    for (const Pose& p : kPoses)
        for (const int sign : {1, -1}) {
            SCOPED_TRACE(std::string(p.name) + (sign > 0 ? ", W3C" : ", iOS"));
            const Reading r = readingFromDeviceMotion(sign * p.x, sign * p.y, sign * p.z, 0, sign);
            EXPECT_NEAR(r.x, p.gx, 1e-9);
            EXPECT_NEAR(r.y, p.gy, 1e-9);
            // The page shown in landscape (screen turned 90 degrees counter-
            // clockwise): the page's axes are the device's turned with it.
            const Reading turned = readingFromDeviceMotion(sign * p.x, sign * p.y, sign * p.z, 90, sign);
            EXPECT_NEAR(turned.x, -p.gy, 1e-9);
            EXPECT_NEAR(turned.y, p.gx, 1e-9);
        }
}

// The angles decide, in every pose, whatever was assumed: iOS's readings on
// a browser that did not ask, and the W3C's on one that did (as if Apple
// changed its sign).
TEST(MotionConvention, TheOrientationAnglesDecide)
{
    for (const Pose& p : kPoses)
        for (const int truth : {1, -1}) {
            SCOPED_TRACE(std::string(p.name) + (truth > 0 ? ", W3C readings" : ", iOS readings"));
            MotionConvention c = initialMotionConvention(truth > 0);  // the wrong guess
            noteOrientation(c, p.beta, p.gamma);
            bool turned = false;
            for (int i = 0; i < 3; ++i)
                turned = noteMotion(c, truth * p.x, truth * p.y, truth * p.z) || turned;
            EXPECT_TRUE(turned);
            EXPECT_EQ(c.sign, truth);
            EXPECT_TRUE(c.fromEvidence);
            // Agreeing readings keep it.
            EXPECT_FALSE(noteMotion(c, truth * p.x, truth * p.y, truth * p.z));
            EXPECT_EQ(c.sign, truth);
        }
}

// Readings that prove nothing: no angles yet, a shake, a fall, readings at
// right angles to the angles' up, and not-a-number. One stray reading in a
// row of agreeing ones does not turn the sign either.
TEST(MotionConvention, UnclearReadingsAreNoEvidence)
{
    MotionConvention c = initialMotionConvention(true);
    EXPECT_FALSE(noteMotion(c, 0, G, 0));  // no angles yet
    noteOrientation(c, NAN, 0);
    EXPECT_FALSE(c.haveOrientation);
    noteOrientation(c, 90, 0);  // upright
    for (int i = 0; i < 5; ++i) {
        EXPECT_FALSE(noteMotion(c, 0, 2.5 * G, 0));  // shaken
        EXPECT_FALSE(noteMotion(c, 0, 0.1 * G, 0));  // falling
        EXPECT_FALSE(noteMotion(c, G, 0, 0));        // the angles say otherwise
        EXPECT_FALSE(noteMotion(c, 0, NAN, 0));      // broken
    }
    EXPECT_EQ(c.sign, -1);
    EXPECT_FALSE(c.fromEvidence);
    for (int i = 0; i < 10; ++i) {
        noteMotion(c, 0, -G, 0);               // iOS's upright
        EXPECT_FALSE(noteMotion(c, 0, G, 0));  // a stray one
    }
    EXPECT_EQ(c.sign, -1);
}

}  // namespace
}  // namespace zorbel
