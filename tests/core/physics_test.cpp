// The physics step: standing up, friction, walls, grabs, dance clock,
// balance, blinking and mouth.
#include "figure/myGuy.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>

namespace zorbel {
namespace {

const float kDt = 0.025f;

struct GuyDeleter {
    void operator()(Guy* g) const { FreeGuy(g); }
};
using GuyPtr = std::unique_ptr<Guy, GuyDeleter>;

GuyPtr newGuy()
{
    GuyPtr g(NewGuy(-1, 1, -1.5f, 1.5f));
    g_springCoefMultipler = g_springDampersMultipler = g_stickynessMultiplier = 1.0f;
    g->gravityX = 0.0f;
    g->gravityY = -100.0f;
    return g;
}

// Eight independent masses: no springs at all.
GuyPtr looseMasses()
{
    GuyPtr g = newGuy();
    for (auto& row : g->springCoef)
        for (float& c : row)
            c = 0.0f;
    return g;
}

void run(Guy* g, int frames, float beat = 0.0f)
{
    for (int i = 0; i < frames; ++i)
        IntegratePhysics(g, kDt, beat);
}

GuyPtr standingGuy()
{
    GuyPtr g = newGuy();
    g->lpGravityY = -100.0f;
    run(g.get(), 400);
    return g;
}

TEST(Physics, UnfoldsFallsAndStandsOnBothFeet)
{
    GuyPtr g = standingGuy();
    const float floor = g->minY + 10.0f * g->scale;
    EXPECT_EQ(g->posY[1], floor);
    EXPECT_EQ(g->posY[2], floor);
    EXPECT_GT(g->posY[3], g->posY[0]);  // head above hips
    EXPECT_GT(g->posY[0], floor);
    EXPECT_EQ(g->mouthOpen, 0);  // both feet on one floor
}

TEST(Physics, StandingFigureHoldsASlightTiltAndSlidesBeyondFriction)
{
    GuyPtr g = standingGuy();
    const float foot1 = g->posX[1];
    const float foot2 = g->posX[2];
    g->gravityX = 15.0f;
    run(g.get(), 120);
    EXPECT_EQ(g->posX[1], foot1);
    EXPECT_EQ(g->posX[2], foot2);

    GuyPtr s = standingGuy();
    g_stickynessMultiplier = 0.1f;
    s->gravityX = 15.0f;
    run(s.get(), 120);
    EXPECT_GT(s->posX[1], foot1 + 0.01f);
}

// A single mass on the floor grips while |ax| < mu * -ay, with ax, ay its
// acceleration: scale * gravity for a free mass.
TEST(Physics, FrictionLimitFollowsTheStickynessMultiplier)
{
    struct Case {
        float multiplier, gravityX;
        bool grips;
    };
    const Case cases[] = {{1.0f, 90.0f, true},  {1.0f, 110.0f, false}, {0.1f, 9.0f, true},
                          {0.1f, 11.0f, false}, {1.9f, 180.0f, true},  {1.9f, 200.0f, false}};
    for (const Case& c : cases) {
        GuyPtr g = looseMasses();
        g_stickynessMultiplier = c.multiplier;
        g->gravityX = c.gravityX;
        g->posY[1] = g->minY + g->radius[1];
        g->velX[1] = 0.5f;
        IntegratePhysics(g.get(), kDt, 0);
        EXPECT_EQ(g->velX[1] == 0.0f, c.grips) << "multiplier " << c.multiplier << " gravity " << c.gravityX;
    }
}

TEST(Physics, ThrowAgainstTheWallEndsOnItAtThreeTenthsOfTheSpeed)
{
    GuyPtr g = looseMasses();
    g->gravityY = 0.0f;
    g->posX[4] = 0.9f;
    g->velX[4] = 1.5f;  // moves 0.24 in one step: past the wall
    IntegratePhysics(g.get(), kDt, 0);
    EXPECT_EQ(g->posX[4], g->maxX - g->radius[4]);
    const float beforeHit = 1.5f * (1.0f - 0.03f);
    EXPECT_FLOAT_EQ(g->velX[4], -0.3f * beforeHit);
}

TEST(Physics, NoMassMovesMoreThanFiftyScalePerAxisInOneStep)
{
    GuyPtr g = looseMasses();
    g->velX[0] = 1e6f;
    g->velY[0] = -1e6f;
    g->velX[5] = -1e9f;
    g->posY[5] = 1.0f;
    const float limit = 50.0f * g->scale;
    IntegratePhysics(g.get(), kDt, 0);
    EXPECT_NEAR(g->posX[0], limit, 1e-6f);
    EXPECT_NEAR(g->posY[0], -limit, 1e-6f);
    EXPECT_NEAR(g->posX[5], -limit, 1e-6f);
}

TEST(Physics, MassOfZeroFeelsNoForceAndNoGravity)
{
    GuyPtr g = newGuy();
    run(g.get(), 50);
    g->mass[3] = 0.0f;
    g->velX[3] = g->velY[3] = 0.0f;
    const float x = g->posX[3];
    const float y = g->posY[3];
    run(g.get(), 1);
    EXPECT_EQ(g->posX[3], x);
    EXPECT_EQ(g->posY[3], y);
}

TEST(Physics, GrabPointsHoldTheNearestMassInReach)
{
    GuyPtr g = looseMasses();
    g->gravityY = 0.0f;
    for (int i = 0; i < 8; ++i)
        g->posY[i] = i == 2 ? 0.0f : -1.0f;  // only mass 2 near the grab points
    g->posX[2] = -0.4f;
    const float reach = 50.0f * g->scale;

    // Out of reach of every mass: nothing happens.
    g->grabCount = 1;
    g->grabX[0] = 0.0f;
    g->grabY[0] = 1.0f;
    IntegratePhysics(g.get(), kDt, 0);
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(g->posY[i], i == 2 ? 0.0f : -1.0f);

    // In reach: the nearest mass sits exactly on it and stops.
    g->velX[2] = 3.0f;
    g->grabX[0] = -0.4f + 0.5f * reach;
    g->grabY[0] = 0.5f * reach;  // 0.71 of the reach away
    IntegratePhysics(g.get(), kDt, 0);
    EXPECT_EQ(g->posX[2], g->grabX[0]);
    EXPECT_EQ(g->posY[2], g->grabY[0]);
    EXPECT_EQ(g->velX[2], 0.0f);

    // Two slots reaching the same mass: the later slot wins.
    g->grabCount = 2;
    g->grabX[1] = g->grabX[0] + 0.5f * reach;
    g->grabY[1] = g->grabY[0];
    IntegratePhysics(g.get(), kDt, 0);
    EXPECT_EQ(g->posX[2], g->grabX[1]);
}

TEST(Physics, DanceClockChangesPostureOnABeatAndRestsSixtyFramesLater)
{
    GuyPtr g = standingGuy();
    const float scale = g->scale;
    run(g.get(), 1, 1.0f);
    EXPECT_EQ(noMusicCountDown, 60);
    const float arm = g->restLength[6][4];
    EXPECT_GE(arm, 40.0f * scale * 0.999f);
    EXPECT_LE(arm, 80.0f * scale * 1.001f);
    EXPECT_EQ(g->restLength[4][6], arm);
    run(g.get(), 59);
    EXPECT_EQ(noMusicCountDown, 1);
    EXPECT_EQ(g->restLength[6][4], arm);  // posture holds
    run(g.get(), 1);
    EXPECT_EQ(noMusicCountDown, 0);
    EXPECT_EQ(g->restLength[6][4], 80.0f * scale);
    EXPECT_EQ(g->restLength[4][5], 150.0f * scale);
    // From now on the legs start every step straight (balance may then shorten one).
    g->restLength[0][1] = g->restLength[1][0] = 55.0f * scale;
    run(g.get(), 1);
    EXPECT_TRUE(g->restLength[0][1] == 100.0f * scale || g->restLength[0][1] == 70.0f * scale);
}

TEST(Physics, HalfBeatDancesAsWell)
{
    GuyPtr g = standingGuy();
    noMusicCountDown = 0;
    run(g.get(), 1, 0.5f);
    EXPECT_EQ(noMusicCountDown, 60);
}

TEST(Physics, BalanceShortensTheLegUnderTheWeightAndWidensTheStance)
{
    GuyPtr g = looseMasses();
    noMusicCountDown = 0;
    g->lpGravityY = -100.0f;
    const float floor = g->minY + g->radius[1];
    g->posX[1] = -0.2f;
    g->posX[2] = 0.2f;
    g->posY[1] = g->posY[2] = floor;
    g->posY[0] = 0.0f;

    g->posX[0] = 0.19f;  // over foot 2
    IntegratePhysics(g.get(), kDt, 0);
    EXPECT_EQ(g->restLength[0][2], 70.0f * g->scale);
    EXPECT_EQ(g->restLength[0][1], 100.0f * g->scale);
    EXPECT_EQ(g->restLength[1][2], 120.0f * g->scale);

    g->posX[0] = -0.19f;  // over foot 1
    IntegratePhysics(g.get(), kDt, 0);
    EXPECT_EQ(g->restLength[0][1], 70.0f * g->scale);
    EXPECT_EQ(g->restLength[0][2], 100.0f * g->scale);

    g->posX[0] = 0.0f;  // between the feet: normal stance
    IntegratePhysics(g.get(), kDt, 0);
    EXPECT_EQ(g->restLength[1][2], 80.0f * g->scale);

    g->posY[0] = g->minY + g->radius[0];  // hips on the floor: feet drawn together
    IntegratePhysics(g.get(), kDt, 0);
    EXPECT_EQ(g->restLength[2][1], 0.0f);
}

TEST(Physics, EyesCloseForExactlyFourStepsAndTheMouthFollowsTheFeet)
{
    GuyPtr g = newGuy();
    run(g.get(), 239);
    EXPECT_EQ(g->eyesOpen, 1);
    run(g.get(), 1);
    EXPECT_EQ(g->eyesOpen, 0);
    EXPECT_EQ(g->blinkCountDown, 4);
    run(g.get(), 3);
    EXPECT_EQ(g->eyesOpen, 0);
    run(g.get(), 1);
    EXPECT_EQ(g->eyesOpen, 1);
    EXPECT_GE(g->blinkCountDown, 60);
    EXPECT_LE(g->blinkCountDown, 240);

    GuyPtr s = standingGuy();
    EXPECT_EQ(s->mouthOpen, 0);
    s->grabCount = 1;  // lift foot 1 with a finger
    s->grabX[0] = s->posX[1];
    s->grabY[0] = s->posY[1] + 0.05f;
    IntegratePhysics(s.get(), kDt, 0);
    EXPECT_EQ(s->mouthOpen, 1);
}

TEST(Physics, ShouldersSwapWhenTheArmsWouldCross)
{
    GuyPtr g = looseMasses();
    g->gravityY = 0.0f;
    g->posX[6] = 0.1f;  // shoulder 1 right of shoulder 2
    g->posX[7] = -0.1f;
    g->posX[4] = -0.3f;  // hand 1 left of hand 2
    g->posX[5] = 0.3f;
    IntegratePhysics(g.get(), kDt, 0);
    EXPECT_EQ(g->posX[6], -0.1f);
    EXPECT_EQ(g->posX[7], 0.1f);
}

TEST(Postures, RandBetweenGivesOneOf101EvenSteps)
{
    bool low = false;
    bool high = false;
    for (int i = 0; i < 5000; ++i) {
        const float v = randBetween(50.0f, 120.0f);
        ASSERT_GE(v, 50.0f);
        ASSERT_LE(v, 120.0f);
        const float steps = (v - 50.0f) / 0.7f;
        EXPECT_NEAR(steps, std::round(steps), 1e-3f);
        low = low || v == 50.0f;
        high = high || v == 120.0f;
    }
    EXPECT_TRUE(low);
    EXPECT_TRUE(high);
}

TEST(Postures, ChangeAndResetTouchOnlyThePostureSprings)
{
    GuyPtr g = newGuy();
    Guy before = *g;
    ChangePosture(g.get(), 0);
    EXPECT_EQ(0, std::memcmp(&before, g.get(), sizeof(Guy)));

    ChangePosture(g.get(), 100);
    const float s = g->scale;
    EXPECT_NE(g->restLength[0][1], before.restLength[0][1]);  // legs cannot land on 100 exactly
    EXPECT_NE(g->restLength[0][2], before.restLength[0][2]);
    EXPECT_LE(g->restLength[6][4], 80.0f * s);
    EXPECT_EQ(g->restLength[1][2], before.restLength[1][2]);  // stance untouched
    g->restLength[1][2] = g->restLength[2][1] = 3.0f;
    ResetPosture(g.get());
    EXPECT_EQ(g->restLength[0][1], 100.0f * s);
    EXPECT_EQ(g->restLength[7][5], 80.0f * s);
    EXPECT_EQ(g->restLength[5][4], 150.0f * s);
    EXPECT_EQ(g->restLength[1][2], 3.0f);
    EXPECT_EQ(0, std::memcmp(before.springCoef, g->springCoef, sizeof before.springCoef));
}

}  // namespace
}  // namespace zorbel
