// Geometry of the chalk strokes: knees and elbows, end circles, the chalk
// head and the photo-face fan.
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

TEST(BodyMesh, KneesKeepHalfTheLegLengthAndBowAwayFromGravity)
{
    auto g = uprightGuy();
    PrepareBodyGLVertexArrays(g.get());
    EXPECT_EQ(g->legsStripN, 5);
    EXPECT_EQ(g->armsStripN, 7);
    EXPECT_EQ(g->foot1StripN, 31);
    EXPECT_EQ(g->hand2StripN, 31);
    const float* legs = g->legsStrip;
    const float half = 0.5f * g->legLength;
    // knee 1 between hips (point 2) and foot 1 (point 0)
    EXPECT_NEAR(dist(legs[2], legs[3], legs[4], legs[5]), half, 1e-5f);
    EXPECT_NEAR(dist(legs[2], legs[3], legs[0], legs[1]), half, 1e-5f);
    EXPECT_NEAR(dist(legs[6], legs[7], legs[4], legs[5]), half, 1e-5f);
    // Feet apart below the hips: both knees bow outwards, away from gravity (upwards).
    EXPECT_LT(legs[2], legs[0] * 0.5f);
    EXPECT_GT(legs[6], legs[8] * 0.5f);
    // The arm strip runs hand, elbow, shoulder, hips, shoulder, elbow, hand.
    EXPECT_EQ(g->armsStrip[6], g->posX[0]);
    EXPECT_EQ(g->armsStrip[4], g->posX[6]);
    EXPECT_EQ(g->armsStrip[12], g->posX[5]);

    // Gravity reversed: every bend moves to the other side.
    const float knee1x = legs[2];
    g->lpGravityY = 100.0f;
    PrepareBodyGLVertexArrays(g.get());
    EXPECT_GT(legs[2], knee1x);
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

TEST(BodyMesh, EndCirclesLeaveSixtyDegreesOpenTowardsTheLimb)
{
    auto g = uprightGuy();
    PrepareBodyGLVertexArrays(g.get());
    const float cx = g->posX[1];
    const float cy = g->posY[1];
    const float r = g->radius[1];
    const float towardsHips = std::atan2(g->posY[0] - cy, g->posX[0] - cx);
    const float* c = g->foot1Strip;
    for (int k = 0; k < 31; ++k)
        EXPECT_NEAR(dist(c[2 * k], c[2 * k + 1], cx, cy), r, 1e-6f);
    const float first = std::atan2(c[1] - cy, c[0] - cx);
    const float last = std::atan2(c[61] - cy, c[60] - cx);
    EXPECT_NEAR(std::remainder(first - towardsHips, 6.2831853f), 0.5236f, 1e-3f);
    EXPECT_NEAR(std::remainder(last - towardsHips, 6.2831853f), -0.5236f, 2e-3f);
}

TEST(HeadMesh, UprightFaceIsLaidOutAroundTheHead)
{
    auto g = uprightGuy();
    g->eyesOpen = 1;
    g->mouthOpen = 1;
    PrepareHeadGLVertexArrays(g.get());
    const float hx = g->posX[3];
    const float hy = g->posY[3];
    const float R = g->radius[3];
    const float eps = 1e-5f;
    EXPECT_EQ(g->headStripN, 81);
    EXPECT_NEAR(g->headStrip[0], hx, eps);
    EXPECT_NEAR(g->headStrip[1], hy + R, eps);
    // The last outline point: radius 1.5 R, 40 degrees past the first.
    const float lx = g->headStrip[160] - hx;
    const float ly = g->headStrip[161] - hy;
    EXPECT_NEAR(std::hypot(lx, ly), 1.5f * R, eps);
    EXPECT_NEAR(std::atan2(ly, lx), 1.5708f + 0.6981f, 1e-3f);
    // Eyes: eye2 on the right, eye1 on the left, both 0.3 R above the centre.
    auto centreX = [](const float* strip, int n) {
        float sum = 0;
        for (int k = 0; k < n; ++k)
            sum += strip[2 * k];
        return sum / n;
    };
    auto centreY = [](const float* strip, int n) {
        float sum = 0;
        for (int k = 0; k < n; ++k)
            sum += strip[2 * k + 1];
        return sum / n;
    };
    EXPECT_EQ(g->eye1StripN, 12);
    EXPECT_NEAR(centreX(g->eye2Strip, 12), hx + 0.4f * R, 1e-4f);
    EXPECT_NEAR(centreX(g->eye1Strip, 12), hx - 0.4f * R, 1e-4f);
    EXPECT_NEAR(centreY(g->eye1Strip, 12), hy + 0.3f * R, 1e-4f);
    // Nose: a half circle opening upwards, lowest point 0.3 R below the centre.
    EXPECT_EQ(g->noseStripN, 7);
    EXPECT_NEAR(g->noseStrip[7], hy - 0.3f * R, eps);
    EXPECT_NEAR(g->noseStrip[6], hx, eps);
    EXPECT_NEAR(g->noseStrip[1], hy - 0.15f * R, eps);
    EXPECT_NEAR(centreY(g->mouthStrip, 12), hy - 0.7f * R, 1e-4f);
}

TEST(HeadMesh, ClosedEyesAndMouthAreDashesAcrossTheFace)
{
    auto g = uprightGuy();
    g->eyesOpen = 0;
    g->mouthOpen = 0;
    PrepareHeadGLVertexArrays(g.get());
    const float R = g->radius[3];
    EXPECT_EQ(g->eye1StripN, 2);
    EXPECT_EQ(g->eye2StripN, 2);
    EXPECT_EQ(g->mouthStripN, 2);
    EXPECT_NEAR(dist(g->eye1Strip[0], g->eye1Strip[1], g->eye1Strip[2], g->eye1Strip[3]), 0.5f * R, 1e-6f);
    EXPECT_NEAR(g->eye1Strip[1], g->eye1Strip[3], 1e-6f);  // across an upright face
    EXPECT_NEAR(dist(g->mouthStrip[0], g->mouthStrip[1], g->mouthStrip[2], g->mouthStrip[3]), 0.4f * R, 1e-6f);
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

TEST(FaceFan, IsAClosedUprightOvalFillingTheImageCentre)
{
    float v[146];
    float t[146];
    int n = 0;
    PrepareFaceGLVertexArrays(v, t, &n);
    ASSERT_EQ(n, 73);
    EXPECT_NEAR(v[0], 0.00001f, 0.00001f);
    EXPECT_GT(v[0], 0.0f);
    EXPECT_FLOAT_EQ(v[1], 0.05f * 4.32f);
    EXPECT_NEAR(v[144], v[0], 1e-4f);  // closes at the top
    EXPECT_NEAR(v[145], v[1], 1e-4f);
    EXPECT_NEAR(t[0], 0.5f, 1e-4f);
    EXPECT_FLOAT_EQ(t[1], 0.5f - 0.1f * 4.32f);
    EXPECT_NEAR(v[2 * 36 + 1], -0.05f * 4.14f, 1e-4f);  // chin, straight down
    EXPECT_GT(t[2 * 36 + 1], 0.5f);                     // t grows towards the chin
    for (int k = 0; k < 73; ++k) {
        EXPECT_NEAR(v[2 * k], -v[2 * (72 - k)], 2e-4f) << k;  // left-right symmetric
        EXPECT_GT(t[2 * k], 0.0f);
        EXPECT_LT(t[2 * k], 1.0f);
    }
}

}  // namespace
}  // namespace zorbel
