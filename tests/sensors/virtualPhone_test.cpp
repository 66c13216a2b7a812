#include "platform/sensors/virtualPhone.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace zorbel {
namespace {

constexpr double kTick = 1.0 / 60.0;
constexpr double kEps = 1e-9;
const double kHalfRoot2 = std::sqrt(0.5);

// Advances in 60 Hz ticks, as the app's timer does.
Reading advanceTicks(VirtualPhone& phone, int ticks)
{
    Reading r;
    for (int i = 0; i < ticks; ++i)
        r = phone.advance(kTick);
    return r;
}

void expectReading(const Reading& r, double x, double y, double z, double eps = kEps)
{
    EXPECT_NEAR(r.x, x, eps);
    EXPECT_NEAR(r.y, y, eps);
    EXPECT_NEAR(r.z, z, eps);
}

// --- turning and laying ---

TEST(VirtualPhoneTilt, UprightReadsExactlyMinusOneOnY)
{
    VirtualPhone phone;
    const Reading r = phone.advance(kTick);
    EXPECT_EQ(r.x, 0.0);
    EXPECT_EQ(r.y, -1.0);
    EXPECT_EQ(r.z, 0.0);
}

TEST(VirtualPhoneTilt, TurningRightPutsGravityOnPositiveX)
{
    VirtualPhone phone;
    phone.setTurning(+1);
    const Reading r = advanceTicks(phone, 45);  // 0.75 s at 120 deg/s = 90 degrees
    EXPECT_NEAR(phone.turnDegrees(), 90.0, 1e-9);
    expectReading(r, 1.0, 0.0, 0.0);
}

TEST(VirtualPhoneTilt, TurningLeftPutsGravityOnNegativeX)
{
    VirtualPhone phone;
    phone.setTurning(-1);
    expectReading(phone.advance(0.25), -0.5, -std::sqrt(0.75), 0.0);
}

TEST(VirtualPhoneTilt, TurnsUpsideDownAndWrapsPast180)
{
    VirtualPhone phone;
    phone.setTurning(+1);
    expectReading(phone.advance(1.5), 0.0, 1.0, 0.0);  // 180 degrees: upside down
    const Reading r = phone.advance(0.5);              // 240 degrees
    EXPECT_NEAR(phone.turnDegrees(), -120.0, 1e-9);
    expectReading(r, -std::sqrt(0.75), 0.5, 0.0);
}

TEST(VirtualPhoneTilt, StopsTurningWhenReleased)
{
    VirtualPhone phone;
    phone.setTurning(+1);
    phone.advance(0.25);
    phone.setTurning(0);
    expectReading(phone.advance(2.0), 0.5, -std::sqrt(0.75), 0.0);
}

TEST(VirtualPhoneTilt, LayingFlatClampsAtNinetyAndComesBackUp)
{
    VirtualPhone phone;
    phone.setLaying(+1);
    expectReading(phone.advance(0.5), 0.0, -kHalfRoot2, -kHalfRoot2);
    expectReading(phone.advance(3.0), 0.0, 0.0, -1.0);
    EXPECT_EQ(phone.layDegrees(), 90.0);

    phone.setLaying(-1);
    phone.advance(0.5);
    EXPECT_NEAR(phone.layDegrees(), 45.0, 1e-9);
    const Reading r = phone.advance(3.0);
    EXPECT_EQ(phone.layDegrees(), 0.0);
    EXPECT_EQ(r.y, -1.0);
}

TEST(VirtualPhoneTilt, TurnAndLayCombine)
{
    VirtualPhone phone;
    phone.setTurning(+1);
    phone.setLaying(+1);
    phone.advance(0.5);  // 60 degrees turned, 45 laid
    phone.setTurning(0);
    phone.setLaying(0);
    const Reading r = phone.advance(kTick);
    expectReading(r, std::sqrt(0.75) * kHalfRoot2, -0.5 * kHalfRoot2, -kHalfRoot2);
    EXPECT_NEAR(r.x * r.x + r.y * r.y + r.z * r.z, 1.0, kEps);
}

// --- shaking ---

constexpr int kShakeTicks = 10;  // 10 ticks of 1/60 s outlast the 0.15 s shake

// Component of r along the phone's gravity: below zero means the net pull
// points up the world, which throws the figure off the floor.
double alongGravity(const Reading& r, const Reading& g)
{
    return r.x * g.x + r.y * g.y + r.z * g.z;
}

TEST(VirtualPhoneShake, KicksAgainstGravityAtAnyTurn)
{
    for (double seconds : {0.0, 0.75, 1.5, 2.25}) {  // 0, 90, 180, 270 degrees
        VirtualPhone phone;
        phone.setTurning(+1);
        phone.advance(seconds);
        phone.setTurning(0);
        const Reading g = gravityFor(phone.turnDegrees(), 0.0);

        phone.shake();
        double least = 1.0, most = 1.0;
        for (int i = 0; i < kShakeTicks; ++i) {
            const double a = alongGravity(phone.advance(kTick), g);
            least = std::min(least, a);
            most = std::max(most, a);
        }
        SCOPED_TRACE(phone.turnDegrees());
        EXPECT_LT(least, -1.0);  // a hop: over a g of net lift
        EXPECT_GT(most, 1.5);    // and the recoil presses down
    }
}

TEST(VirtualPhoneShake, DiesOutCompletelyAfterItsDuration)
{
    VirtualPhone phone;
    phone.shake();
    EXPECT_TRUE(phone.shaking());
    const Reading during = phone.advance(2 * kTick);
    EXPECT_NE(during.x, 0.0);
    EXPECT_NE(during.y, -1.0);

    advanceTicks(phone, kShakeTicks);
    EXPECT_FALSE(phone.shaking());
    const Reading after = phone.advance(kTick);
    EXPECT_EQ(after.x, 0.0);
    EXPECT_EQ(after.y, -1.0);
    EXPECT_EQ(after.z, 0.0);
}

TEST(VirtualPhoneShake, OneLongStepStillFeelsIt)
{
    VirtualPhone phone;
    phone.shake();
    const Reading r = phone.advance(0.2);  // longer than the whole shake
    EXPECT_GT(std::hypot(r.x, r.y + 1.0), 0.1);
    EXPECT_FALSE(phone.shaking());
    EXPECT_EQ(phone.advance(kTick).y, -1.0);
}

TEST(VirtualPhoneShake, SuccessiveShakesLeanToOppositeSides)
{
    VirtualPhone phone;
    phone.shake();
    const double first = phone.advance(kTick).x;
    advanceTicks(phone, kShakeTicks);
    phone.shake();
    const double second = phone.advance(kTick).x;
    EXPECT_NE(first, 0.0);
    EXPECT_EQ(std::signbit(first), !std::signbit(second));
}

// --- reset and bad input ---

TEST(VirtualPhoneReset, BackUprightWithNoShakeButKeysStillHeld)
{
    VirtualPhone phone;
    phone.setTurning(+1);
    phone.setLaying(+1);
    phone.advance(0.4);
    phone.shake();
    phone.advance(kTick);

    phone.reset();
    EXPECT_FALSE(phone.shaking());
    const Reading r = phone.advance(0.0);
    EXPECT_EQ(r.x, 0.0);
    EXPECT_EQ(r.y, -1.0);
    EXPECT_EQ(r.z, 0.0);

    // Keys still held after Home keep moving the phone from upright.
    phone.advance(0.25);
    EXPECT_NEAR(phone.turnDegrees(), 30.0, 1e-9);
    EXPECT_NEAR(phone.layDegrees(), 22.5, 1e-9);
}

TEST(VirtualPhoneBadInput, BadTimeStepsMoveNothing)
{
    VirtualPhone phone;
    phone.setTurning(+1);
    phone.setLaying(+1);
    for (double dt : {-1.0, std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity()}) {
        const Reading r = phone.advance(dt);
        EXPECT_EQ(r.x, 0.0);
        EXPECT_EQ(r.y, -1.0);
    }
}

TEST(VirtualPhoneBadInput, LargeDirectionsCountAsOneStep)
{
    VirtualPhone phone;
    phone.setTurning(7);
    phone.setLaying(-3);
    phone.advance(0.75);
    EXPECT_NEAR(phone.turnDegrees(), 90.0, 1e-9);
    EXPECT_EQ(phone.layDegrees(), 0.0);
}

}  // namespace
}  // namespace zorbel
