// The physics step where the committed traces do not reach: the stickyness
// multiplier and the reach of a grab.
#include "figure/myGuy.h"

#include <gtest/gtest.h>

#include <memory>

namespace zorbel {
namespace {

const float kDt = 0.025f;

struct GuyDeleter {
    void operator()(Guy* g) const { FreeGuy(g); }
};
using GuyPtr = std::unique_ptr<Guy, GuyDeleter>;

// Eight independent masses, no springs at all, with the given gravity.
GuyPtr looseMasses(float gravityY = -100.0f)
{
    GuyPtr g(NewGuy(-1, 1, -1.5f, 1.5f));
    g_springCoefMultipler = g_springDampersMultipler = g_stickynessMultiplier = 1.0f;
    for (auto& row : g->springCoef)
        for (float& c : row)
            c = 0.0f;
    g->gravityY = gravityY;
    return g;
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

TEST(Physics, GrabPointsHoldTheNearestMassInReach)
{
    GuyPtr g = looseMasses(0.0f);
    for (int i = 0; i < 8; ++i)
        g->posY[i] = i == 2 ? 0.0f : -1.0f;  // only mass 2 near the grab points
    g->posX[2] = -0.4f;
    const float reach = 50.0f * g->scale;

    // Just out of reach: nothing happens.
    g->grabCount = 1;
    g->grabX[0] = -0.4f;
    g->grabY[0] = 1.01f * reach;
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

}  // namespace
}  // namespace zorbel
