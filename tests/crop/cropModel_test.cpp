// The crop editor's gesture and transform arithmetic, without any drawing.
#include "ui/cropModel.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace zorbel {
namespace {

constexpr float kH = 480.0f;  // the editor's height, points
const double kPi = std::acos(-1.0);

void began(CropModel& m, std::initializer_list<float> xy)
{
    cropTouchesBegan(m, xy.begin(), static_cast<int>(xy.size() / 2), kH);
}

void ended(CropModel& m, std::initializer_list<float> xy)
{
    cropTouchesEnded(m, xy.begin(), static_cast<int>(xy.size() / 2), kH);
}

bool sameState(const CropModel& a, const CropModel& b)
{
    if (a.imScale != b.imScale || a.imRot != b.imRot || a.imCenterX != b.imCenterX || a.imCenterY != b.imCenterY ||
        a.nbGrabs != b.nbGrabs || a.imgW != b.imgW || a.imgH != b.imgH || a.ctxtW != b.ctxtW || a.ctxtH != b.ctxtH ||
        a.hasBitmap != b.hasBitmap || a.clipRect.y != b.clipRect.y)
        return false;
    for (int i = 0; i < kCropMaxGrabs; ++i)
        if (a.grabx[i] != b.grabx[i] || a.graby[i] != b.graby[i])
            return false;
    return true;
}

// Where photo point (px, py) shows in the face, from the closed form
// q = s R(theta) (p - m) + (181 cos 0.7854, 181 sin 0.7854), in double.
void expectedFacePoint(const CropModel& m, double px, double py, double& qx, double& qy)
{
    const double c = std::cos(double(m.imRot)), s = std::sin(double(m.imRot));
    const double dx = px - m.imCenterX, dy = py - m.imCenterY;
    qx = m.imScale * (c * dx - s * dy) + 181.0 * std::cos(double(0.7854f));
    qy = m.imScale * (s * dx + c * dy) + 181.0 * std::sin(double(0.7854f));
}

// --- setting a photo ---

TEST(CropPhoto, AFreshEditorIsAllZero)
{
    const CropModel m;
    EXPECT_EQ(m.imScale, 0.0f);
    EXPECT_EQ(m.imCenterX, 0.0f);
    EXPECT_EQ(m.imRot, 0.0f);
    EXPECT_EQ(m.nbGrabs, 0);
    EXPECT_EQ(m.imgW, 0);
    EXPECT_EQ(m.ctxtH, 0);
    EXPECT_FALSE(m.hasBitmap);
}

TEST(CropPhoto, BitmapSizeAndFaceSquare)
{
    struct Case {
        int w, h, ctxtW, ctxtH;
        float clipY;
    } cases[] = {
        {320, 320, 320, 320, 64}, {1600, 1200, 1600, 1200, 944}, {200, 100, 256, 256, 0},
        {255, 256, 256, 256, 0},  {256, 255, 256, 256, 0},       {1, 4000, 256, 4000, 3744},
    };
    for (const Case& c : cases) {
        CropModel m;
        cropSetPhoto(m, c.w, c.h);
        EXPECT_EQ(m.imgW, c.w);
        EXPECT_EQ(m.imgH, c.h);
        EXPECT_EQ(m.ctxtW, c.ctxtW) << c.w << " x " << c.h;
        EXPECT_EQ(m.ctxtH, c.ctxtH) << c.w << " x " << c.h;
        EXPECT_EQ(m.clipRect.x, 0.0f);
        EXPECT_EQ(m.clipRect.y, c.clipY);
        EXPECT_EQ(m.clipRect.width, 256.0f);
        EXPECT_EQ(m.clipRect.height, 256.0f);
        EXPECT_TRUE(m.hasBitmap);
    }
}

TEST(CropPhoto, ResetsTheTransformButKeepsGrabPoints)
{
    CropModel m;
    cropSetPhoto(m, 640, 480);
    began(m, {100, 100, 200, 150});
    cropTouchMoved(m, 230, 120, kH);
    ASSERT_NE(m.imScale, 1.0f);
    cropSetPhoto(m, 1601, 1201);
    EXPECT_EQ(m.imScale, 1.0f);
    EXPECT_EQ(m.imRot, 0.0f);
    EXPECT_EQ(m.imCenterX, 800.5f);
    EXPECT_EQ(m.imCenterY, 600.5f);
    ASSERT_EQ(m.nbGrabs, 2);
    EXPECT_EQ(m.grabx[0], 100.0f);
    EXPECT_EQ(m.grabx[1], 230.0f);  // where the moved finger was left
}

TEST(CropPhoto, APhotoWithoutPixelsChangesNothing)
{
    CropModel fresh;
    cropSetPhoto(fresh, 0, 0);
    EXPECT_TRUE(sameState(fresh, CropModel()));
    cropSetPhoto(fresh, -5, 300);
    EXPECT_TRUE(sameState(fresh, CropModel()));

    CropModel m;
    cropSetPhoto(m, 320, 320);
    const CropModel before = m;
    cropSetPhoto(m, 640, 0);
    EXPECT_TRUE(sameState(m, before));  // the earlier photo stays
}

// --- recording and lifting fingers ---

TEST(CropFingers, BeganStoresGrabFramePointsInOrder)
{
    CropModel m;
    began(m, {10, 20, 30, 470});
    ASSERT_EQ(m.nbGrabs, 2);
    EXPECT_EQ(m.grabx[0], 10.0f);
    EXPECT_EQ(m.graby[0], 460.0f);
    EXPECT_EQ(m.grabx[1], 30.0f);
    EXPECT_EQ(m.graby[1], 10.0f);
}

TEST(CropFingers, TheEleventhTouchIsNotRecorded)
{
    CropModel m;
    float xy[22];
    for (int i = 0; i < 11; ++i) {
        xy[2 * i] = float(10 * i);
        xy[2 * i + 1] = 100;
    }
    cropTouchesBegan(m, xy, 8, kH);
    cropTouchesBegan(m, xy + 16, 3, kH);
    ASSERT_EQ(m.nbGrabs, 10);
    EXPECT_EQ(m.grabx[9], 90.0f);
    began(m, {5, 5});
    EXPECT_EQ(m.nbGrabs, 10);
}

TEST(CropFingers, LiftingTheOnlyFingerClearsWhereverItLifts)
{
    CropModel m;
    began(m, {10, 10});
    ended(m, {300, 400});
    EXPECT_EQ(m.nbGrabs, 0);
    ended(m, {300, 400});  // nothing left to lift
    EXPECT_EQ(m.nbGrabs, 0);
}

TEST(CropFingers, LiftingRemovesTheNearestGrabPointKeepingOrder)
{
    CropModel m;
    began(m, {10, 10, 100, 10, 200, 10});
    ended(m, {95, 12});
    ASSERT_EQ(m.nbGrabs, 2);
    EXPECT_EQ(m.grabx[0], 10.0f);
    EXPECT_EQ(m.grabx[1], 200.0f);
}

TEST(CropFingers, ALiftHalfwayRemovesTheLowerIndex)
{
    CropModel m;
    began(m, {200, 10, 100, 10});
    ended(m, {150, 10});
    ASSERT_EQ(m.nbGrabs, 1);
    EXPECT_EQ(m.grabx[0], 100.0f);
}

TEST(CropFingers, OneEventLiftingEveryFinger)
{
    CropModel m;
    began(m, {10, 10, 100, 10, 200, 10});
    ended(m, {100, 10, 900, 900, 900, 900});  // the last lift finds one point: clears
    EXPECT_EQ(m.nbGrabs, 0);
}

TEST(CropFingers, LiftsKeepTheTransform)
{
    CropModel m;
    cropSetPhoto(m, 640, 480);
    began(m, {100, 100, 200, 150});
    cropTouchMoved(m, 230, 120, kH);
    const CropModel moved = m;
    ended(m, {230, 120, 100, 100});
    EXPECT_EQ(m.imScale, moved.imScale);
    EXPECT_EQ(m.imRot, moved.imRot);
    EXPECT_EQ(m.imCenterX, moved.imCenterX);
}

// --- one finger ---

TEST(CropOneFinger, PanAtScaleTwoMovesTheCentreByHalf)
{
    CropModel m;
    cropSetPhoto(m, 640, 480);
    m.imScale = 2;
    began(m, {100, 200});
    EXPECT_TRUE(cropTouchMoved(m, 110, 195, kH));  // 10 right, 5 up the screen
    EXPECT_EQ(m.imCenterX, 315.0f);
    EXPECT_EQ(m.imCenterY, 237.5f);
    EXPECT_EQ(m.imScale, 2.0f);
    EXPECT_EQ(m.imRot, 0.0f);
    EXPECT_EQ(m.grabx[0], 110.0f);
    EXPECT_EQ(m.graby[0], 285.0f);
}

TEST(CropOneFinger, ThePhotoPointUnderTheFingerFollowsItAtAnyTurnAndScale)
{
    const float turns[] = {0.0f, 1.5707964f, -2.3f, 7.1f};
    const float scales[] = {1.0f, 0.37f, 3.5f};
    for (float turn : turns) {
        for (float scale : scales) {
            CropModel m;
            cropSetPhoto(m, 640, 480);
            m.imRot = turn;
            m.imScale = scale;
            const double px = 300, py = 200;  // any photo point
            double qx0, qy0, qx1, qy1;
            expectedFacePoint(m, px, py, qx0, qy0);
            began(m, {100, 200});
            cropTouchMoved(m, 117, 188, kH);  // 17 right, 12 up
            expectedFacePoint(m, px, py, qx1, qy1);
            EXPECT_NEAR(qx1 - qx0, 17.0, 1e-3) << turn << " " << scale;
            EXPECT_NEAR(qy1 - qy0, 12.0, 1e-3) << turn << " " << scale;
        }
    }
}

TEST(CropOneFinger, AMoveWithNoGrabPointIsIgnored)
{
    CropModel m;
    cropSetPhoto(m, 640, 480);
    began(m, {100, 200});
    ended(m, {100, 200});
    m.grabx[0] = 50;  // whatever the last finger left behind
    const CropModel before = m;
    EXPECT_FALSE(cropTouchMoved(m, 300, 300, kH));
    EXPECT_TRUE(sameState(m, before));
}

// --- two fingers ---

TEST(CropTwoFingers, SpreadingScalesAndPansByTheMidpoint)
{
    CropModel m;
    cropSetPhoto(m, 640, 480);
    began(m, {100, 200, 200, 200});  // 100 apart
    EXPECT_TRUE(cropTouchMoved(m, 250, 200, kH));
    EXPECT_EQ(m.imScale, 1.5f);
    EXPECT_EQ(m.imRot, 0.0f);
    EXPECT_EQ(m.imCenterX, 320.0f - 25.0f);  // half of the finger's 50
    EXPECT_EQ(m.imCenterY, 240.0f);
}

TEST(CropTwoFingers, ThirtyDegreesCounterClockwiseOnScreen)
{
    CropModel m;
    cropSetPhoto(m, 640, 480);
    began(m, {100, 240, 200, 240});
    const double a = kPi / 6;
    // Up the screen is y down in the view.
    cropTouchMoved(m, float(100 + 100 * std::cos(a)), float(240 - 100 * std::sin(a)), kH);
    EXPECT_NEAR(m.imRot, 0.5236, 1e-4);
    EXPECT_NEAR(m.imScale, 1.0, 1e-5);
}

TEST(CropTwoFingers, TurnAndScaleAboutTheFaceCentre)
{
    CropModel start;
    cropSetPhoto(start, 640, 480);
    CropModel m = start;
    began(m, {100, 240, 200, 240});
    cropTouchMoved(m, 150, 340, kH);  // finger 0 to (150, 140) in the grab frame
    // The pan is the midpoint's motion, (25, -50); the pair grows by f and
    // turns by r. The photo point that was at the face centre is carried by
    // the pan, then scaled and turned about the face centre.
    const double f = std::hypot(50.0, 100.0) / 100.0, r = std::atan2(100.0, 50.0);
    const double panX = 25, panY = -50;
    double cx, cy, qx, qy;
    expectedFacePoint(start, 320, 240, cx, cy);
    expectedFacePoint(m, 320, 240, qx, qy);
    EXPECT_NEAR(m.imScale, f, 1e-6);
    EXPECT_NEAR(m.imRot, r, 1e-6);
    EXPECT_NEAR(qx - cx, f * (std::cos(r) * panX - std::sin(r) * panY), 1e-3);
    EXPECT_NEAR(qy - cy, f * (std::sin(r) * panX + std::cos(r) * panY), 1e-3);
}

TEST(CropTwoFingers, TheTurnIsNotWrapped)
{
    CropModel m;
    cropSetPhoto(m, 640, 480);
    began(m, {190, 150, 100, 150});   // pointing straight left
    cropTouchMoved(m, 230, 120, kH);  // now a little below straight left
    EXPECT_NEAR(m.imRot, -2 * kPi + std::atan2(30.0, 130.0), 1e-5);
}

TEST(CropTwoFingers, CoincidentPointsPanOnly)
{
    CropModel m;
    cropSetPhoto(m, 640, 480);
    began(m, {100, 200, 100, 200});
    EXPECT_TRUE(cropTouchMoved(m, 140, 200, kH));
    EXPECT_EQ(m.imScale, 1.0f);
    EXPECT_EQ(m.imRot, 0.0f);
    EXPECT_EQ(m.imCenterX, 300.0f);  // midpoint moved 20
}

TEST(CropTwoFingers, AThirdFingersMoveChangesNothingButItsPoint)
{
    CropModel m;
    cropSetPhoto(m, 640, 480);
    began(m, {100, 200, 200, 200, 150, 400});
    const CropModel before = m;
    EXPECT_FALSE(cropTouchMoved(m, 160, 390, kH));
    EXPECT_EQ(m.grabx[2], 160.0f);
    EXPECT_EQ(m.graby[2], 90.0f);
    m.grabx[2] = before.grabx[2];
    m.graby[2] = before.graby[2];
    EXPECT_TRUE(sameState(m, before));
}

TEST(CropTwoFingers, WithMoreFingersTheFirstTwoStillTurnAndScale)
{
    // The first two fingers steer the photo whether or not a third is down.
    CropModel two, three;
    cropSetPhoto(two, 640, 480);
    cropSetPhoto(three, 640, 480);
    began(two, {100, 200, 200, 200});
    began(three, {100, 200, 200, 200, 150, 420});
    const float path[][2] = {{250, 200}, {90, 210}, {260, 150}, {120, 260}};
    for (const auto& p : path) {
        EXPECT_TRUE(cropTouchMoved(two, p[0], p[1], kH));
        EXPECT_TRUE(cropTouchMoved(three, p[0], p[1], kH));
        EXPECT_EQ(three.imScale, two.imScale);
        EXPECT_EQ(three.imRot, two.imRot);
        EXPECT_EQ(three.imCenterX, two.imCenterX);
        EXPECT_EQ(three.imCenterY, two.imCenterY);
    }
    EXPECT_NE(two.imScale, 1.0f);
}

// --- degenerate input ---

TEST(CropDegenerate, AnOverflowingScaleFactorPansOnly)
{
    CropModel m;
    cropSetPhoto(m, 640, 480);
    // Two fingers 1e-19 apart, then one flung far away: the factor is infinite.
    const float xy[] = {0, 0, 1e-19f, 0};
    cropTouchesBegan(m, xy, 2, 0);
    ASSERT_GT(m.grabx[1], 0.0f);
    EXPECT_TRUE(cropTouchMoved(m, 1e20f, 0, 0));
    EXPECT_EQ(m.imScale, 1.0f);
    EXPECT_EQ(m.imRot, 0.0f);
    EXPECT_TRUE(std::isfinite(m.imCenterX));
    EXPECT_LT(m.imCenterX, -1e18f);  // the pan itself went through
}

TEST(CropDegenerate, AnUnderflowingScaleFactorKeepsTheScaleAboveZero)
{
    CropModel m;
    cropSetPhoto(m, 640, 480);
    // Squares of such distances underflow: the old one just survives, the new one is 0.
    const float xy[] = {0, 0, 4e-23f, 0};
    cropTouchesBegan(m, xy, 2, 0);
    EXPECT_TRUE(cropTouchMoved(m, 2.5e-23f, 0, 0));
    EXPECT_EQ(m.imScale, 1.0f);
    EXPECT_EQ(m.imRot, 0.0f);
}

TEST(CropDegenerate, TouchesThatAreNotNumbersAreIgnored)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    CropModel m;
    cropSetPhoto(m, 640, 480);
    const float xy[] = {nan, 10, 100, 100};
    cropTouchesBegan(m, xy, 2, kH);
    ASSERT_EQ(m.nbGrabs, 1);
    EXPECT_EQ(m.grabx[0], 100.0f);
    const CropModel before = m;
    EXPECT_FALSE(cropTouchMoved(m, nan, 100, kH));
    EXPECT_FALSE(cropTouchMoved(m, 100, std::numeric_limits<float>::infinity(), kH));
    EXPECT_TRUE(sameState(m, before));
    cropTouchesBegan(m, nullptr, 3, kH);
    cropTouchesEnded(m, nullptr, 3, kH);
    EXPECT_EQ(m.nbGrabs, 1);
}

// --- the render transform ---

TEST(CropRenderTransform, ThePhotoCentreSitsAtTheFaceCentre)
{
    CropModel m;
    cropSetPhoto(m, 320, 320);
    const CropRenderParams p = cropRenderParams(m);
    EXPECT_NEAR(p.tx, -32.0, 0.05);
    EXPECT_NEAR(p.ty, -32.0, 0.05);
    float qx, qy;
    cropPhotoToFace(p, 160, 160, qx, qy);
    EXPECT_NEAR(qx, 128.0, 0.02);
    EXPECT_NEAR(qy, 128.0, 0.02);
}

TEST(CropRenderTransform, AQuarterTurnPutsThePointRightOfCentreAboveIt)
{
    CropModel m;
    cropSetPhoto(m, 640, 480);
    m.imRot = float(kPi / 2);
    const CropRenderParams p = cropRenderParams(m);
    float cx, cy, qx, qy;
    cropPhotoToFace(p, 320, 240, cx, cy);
    cropPhotoToFace(p, 330, 240, qx, qy);
    EXPECT_NEAR(qx, cx, 1e-3);
    EXPECT_NEAR(qy, cy + 10, 1e-3);
}

TEST(CropRenderTransform, MatchesTheClosedFormForAnyTransform)
{
    CropModel m;
    cropSetPhoto(m, 640, 480);
    const float turns[] = {0.3f, -1.9f, 4.0f};
    const float scales[] = {0.5f, 1.0f, 2.75f};
    for (float turn : turns) {
        for (float scale : scales) {
            m.imRot = turn;
            m.imScale = scale;
            m.imCenterX = 250.5f;
            m.imCenterY = 301.25f;
            float qx, qy;
            double ex, ey;
            cropPhotoToFace(cropRenderParams(m), 17, 420, qx, qy);
            expectedFacePoint(m, 17, 420, ex, ey);
            EXPECT_NEAR(qx, ex, 2e-3 * scale + 1e-3);
            EXPECT_NEAR(qy, ey, 2e-3 * scale + 1e-3);
        }
    }
}

}  // namespace
}  // namespace zorbel
