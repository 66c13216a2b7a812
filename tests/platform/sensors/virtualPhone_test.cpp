#include "platform/sensors/virtualPhone.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

namespace zorbel {
namespace {

constexpr double kTick = 1.0 / 60.0;
const double kHalfRoot2 = std::sqrt(0.5);
const double kRoot3Half = std::sqrt(0.75);

// Keys held for a while: turning and laying directions, then seconds.
struct Hold {
    int turn, lay;
    double seconds;
};

struct Tilt {
    const char* what;
    std::vector<Hold> holds;
    double x, y, z;          // the last reading, g
    double turnDeg, layDeg;  // where the phone ends
};

void PrintTo(const Tilt& t, std::ostream* os)
{
    *os << t.what;
}

class VirtualPhoneTilt : public ::testing::TestWithParam<Tilt> {};

TEST_P(VirtualPhoneTilt, ReadsGravityOnThePhonesAxes)
{
    const Tilt& t = GetParam();
    VirtualPhone phone;
    Reading r;
    for (const Hold& h : t.holds) {
        phone.setTurning(h.turn);
        phone.setLaying(h.lay);
        r = phone.advance(h.seconds);
    }
    EXPECT_NEAR(r.x, t.x, 1e-9);
    EXPECT_NEAR(r.y, t.y, 1e-9);
    EXPECT_NEAR(r.z, t.z, 1e-9);
    EXPECT_NEAR(phone.turnDegrees(), t.turnDeg, 1e-9);
    EXPECT_NEAR(phone.layDegrees(), t.layDeg, 1e-9);
}

const double kNaN = std::numeric_limits<double>::quiet_NaN();
const double kInf = std::numeric_limits<double>::infinity();

INSTANTIATE_TEST_SUITE_P(
    Holds, VirtualPhoneTilt,
    ::testing::Values(
        Tilt{"upright", {{0, 0, kTick}}, 0, -1, 0, 0, 0},
        Tilt{"right 90", {{1, 0, 0.75}}, 1, 0, 0, 90, 0},  // 120 degrees a second
        Tilt{"upside down", {{1, 0, 1.5}}, 0, 1, 0, 180, 0},
        Tilt{"wraps past 180", {{1, 0, 2.0}}, -kRoot3Half, 0.5, 0, -120, 0},
        Tilt{"stops when released", {{1, 0, 0.25}, {0, 0, 2.0}}, 0.5, -kRoot3Half, 0, 30, 0},
        Tilt{"laid back 45", {{0, 1, 0.5}}, 0, -kHalfRoot2, -kHalfRoot2, 0, 45},  // 90 a second
        Tilt{"flat at most", {{0, 1, 3.0}}, 0, 0, -1, 0, 90},
        Tilt{"upright at most", {{0, 1, 0.5}, {0, -1, 3.0}}, 0, -1, 0, 0, 0},
        Tilt{"turned and laid", {{1, 1, 0.5}, {0, 0, kTick}}, 0.612372436, -0.353553391, -kHalfRoot2, 60, 45},
        Tilt{"negative step", {{1, 1, -1.0}}, 0, -1, 0, 0, 0}, Tilt{"NaN step", {{1, 1, kNaN}}, 0, -1, 0, 0, 0},
        Tilt{"infinite step", {{1, 1, kInf}}, 0, -1, 0, 0, 0}));

// --- shaking ---

constexpr int kShakeTicks = 10;  // 10 ticks of 1/60 s outlast the 0.15 s shake

TEST(VirtualPhoneShake, KicksAgainstGravityAtAnyTurn)
{
    for (double seconds : {0.0, 0.75, 1.5, 2.25}) {  // 0, 90, 180, 270 degrees
        VirtualPhone phone;
        phone.setTurning(+1);
        phone.advance(seconds);
        phone.setTurning(0);
        const Reading g = gravityFor(phone.turnDegrees(), 0.0);
        phone.shake();
        // The component along gravity: below zero the net pull points up and
        // throws the figure off the floor.
        double least = 1.0, most = 1.0;
        for (int i = 0; i < kShakeTicks; ++i) {
            const Reading r = phone.advance(kTick);
            const double along = r.x * g.x + r.y * g.y + r.z * g.z;
            least = std::min(least, along);
            most = std::max(most, along);
        }
        SCOPED_TRACE(phone.turnDegrees());
        EXPECT_LT(least, -1.0);  // a hop: over a g of net lift
        EXPECT_GT(most, 1.5);    // and the recoil presses down
    }
}

TEST(VirtualPhoneShake, DiesOutAfterItsDurationEvenInOneLongStep)
{
    for (double step : {2 * kTick, 0.2}) {
        VirtualPhone phone;
        phone.shake();
        EXPECT_TRUE(phone.shaking());
        const Reading during = phone.advance(step);
        EXPECT_GT(std::hypot(during.x, during.y + 1.0), 0.1) << step;
        for (int i = 0; i < kShakeTicks; ++i)
            phone.advance(kTick);
        EXPECT_FALSE(phone.shaking());
        const Reading after = phone.advance(kTick);
        EXPECT_EQ(after.x, 0.0);
        EXPECT_EQ(after.y, -1.0);
        EXPECT_EQ(after.z, 0.0);
    }
}

}  // namespace
}  // namespace zorbel
