// Geometry of the chalk strokes in the shapes the committed traces do not
// show: limbs stretched or of no length, a leg along gravity, closed eyes, an
// open mouth, and the head on the hips.
#include "figure/myGuy.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

namespace zorbel {
namespace {

struct GuyDeleter {
    void operator()(Guy* g) const { FreeGuy(g); }
};

float dist(float ax, float ay, float bx, float by)
{
    return std::hypot(ax - bx, ay - by);
}

// An upright figure placed by hand: hips at the origin, feet below, head above.
std::unique_ptr<Guy, GuyDeleter> uprightGuy()
{
    std::unique_ptr<Guy, GuyDeleter> g(NewGuy(-1, 1, -1.5f, 1.5f));
    const float s = g->scale;
    const float x[8] = {0, -30 * s, 30 * s, 0, -60 * s, 60 * s, -15 * s, 15 * s};
    const float y[8] = {0, -90 * s, -90 * s, 75 * s, 10 * s, 10 * s, 50 * s, 50 * s};
    for (int i = 0; i < 8; ++i) {
        g->posX[i] = x[i];
        g->posY[i] = y[i];
    }
    g->lpGravityX = 0.0f;
    g->lpGravityY = -100.0f;
    return g;
}

TEST(BodyMesh, StretchedOrCollapsedLimbsAreDrawnStraight)
{
    auto g = uprightGuy();
    const float s = g->scale;
    g->posX[1] = 0.0f;
    g->posY[1] = -150 * s;  // longer than the leg
    g->posX[2] = 0.0f;
    g->posY[2] = 0.0f;  // on the hips: zero length
    PrepareBodyGLVertexArrays(g.get());
    EXPECT_EQ(g->legsStrip[2], 0.0f);
    EXPECT_EQ(g->legsStrip[3], 0.5f * (-150 * s));
    EXPECT_EQ(g->legsStrip[6], 0.0f);
    EXPECT_EQ(g->legsStrip[7], 0.0f);
    for (float v : g->foot2Strip)
        EXPECT_TRUE(std::isfinite(v));
}

TEST(BodyMesh, LegHangingAlongGravityBendsCounterClockwise)
{
    auto g = uprightGuy();
    g->posX[1] = 0.0f;
    g->posY[1] = -60 * g->scale;
    PrepareBodyGLVertexArrays(g.get());
    EXPECT_GT(g->legsStrip[2], 0.0f);  // knee towards +x
}

TEST(HeadMesh, ClosedEyesAreDashesAndAnOpenMouthARing)
{
    auto g = uprightGuy();
    g->eyesOpen = 0;
    g->mouthOpen = 1;
    PrepareHeadGLVertexArrays(g.get());
    const float R = g->radius[3];
    EXPECT_EQ(g->eye1StripN, 2);
    EXPECT_EQ(g->eye2StripN, 2);
    EXPECT_NEAR(dist(g->eye1Strip[0], g->eye1Strip[1], g->eye1Strip[2], g->eye1Strip[3]), 0.5f * R, 1e-6f);
    EXPECT_NEAR(g->eye1Strip[1], g->eye1Strip[3], 1e-6f);  // across an upright face
    ASSERT_EQ(g->mouthStripN, 12);
    for (int k = 0; k < 12; ++k)  // 0.2 R around a point 0.7 R below the centre
        EXPECT_NEAR(dist(g->mouthStrip[2 * k], g->mouthStrip[2 * k + 1], g->posX[3], g->posY[3] - 0.7f * R), 0.2f * R,
                    1e-6f);
}

TEST(HeadMesh, HeadOnTheHipsFacesAlongPlusX)
{
    auto g = uprightGuy();
    g->posX[3] = g->posX[0];
    g->posY[3] = g->posY[0];
    PrepareHeadGLVertexArrays(g.get());
    EXPECT_EQ(g->headStrip[0], g->posX[3] + g->radius[3]);
    EXPECT_EQ(g->headStrip[1], g->posY[3]);
}

}  // namespace
}  // namespace zorbel
