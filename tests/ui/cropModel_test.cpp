// The crop editor's model where the committed crop trace does not reach: the
// bitmap and face square, more than two fingers, lifts, and degenerate input.
#include "ui/cropModel.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

namespace zorbel {
namespace {

constexpr float kH = 480.0f;  // the editor's height, points
const float kNaN = std::numeric_limits<float>::quiet_NaN();

void began(CropModel& m, std::vector<float> xy, float height = kH)
{
    cropTouchesBegan(m, xy.data(), static_cast<int>(xy.size() / 2), height);
}

void ended(CropModel& m, std::vector<float> xy)
{
    cropTouchesEnded(m, xy.data(), static_cast<int>(xy.size() / 2), kH);
}

// Grab points as x, y pairs, in the grab frame (y up).
std::vector<float> grabs(const CropModel& m)
{
    std::vector<float> xy;
    for (int i = 0; i < m.nbGrabs; ++i)
        xy.insert(xy.end(), {m.grabx[i], m.graby[i]});
    return xy;
}

void expectTransform(const CropModel& m, float scale, float rot, float cx, float cy)
{
    EXPECT_EQ(m.imScale, scale);
    EXPECT_EQ(m.imRot, rot);
    EXPECT_EQ(m.imCenterX, cx);
    EXPECT_EQ(m.imCenterY, cy);
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
        SCOPED_TRACE(::testing::Message() << c.w << " x " << c.h);
        EXPECT_EQ(m.ctxtW, c.ctxtW);
        EXPECT_EQ(m.ctxtH, c.ctxtH);
        EXPECT_EQ(m.clipRect.y, c.clipY);
    }
}

TEST(CropPhoto, ANewPhotoResetsTheTransformButKeepsTheFingers)
{
    CropModel m;
    cropSetPhoto(m, 640, 480);
    began(m, {100, 100, 200, 150});
    cropTouchMoved(m, 230, 120, kH);
    cropSetPhoto(m, 1601, 1201);
    expectTransform(m, 1, 0, 800.5f, 600.5f);
    EXPECT_EQ(grabs(m), (std::vector<float>{100, 380, 230, 360}));

    // A photo without pixels changes nothing.
    const std::vector<float> before = grabs(m);
    for (auto [w, h] : {std::pair{0, 0}, {-5, 300}, {640, 0}}) {
        cropSetPhoto(m, w, h);
        expectTransform(m, 1, 0, 800.5f, 600.5f);
        EXPECT_EQ(m.imgW, 1601);
        EXPECT_EQ(m.ctxtH, 1201);
    }
    EXPECT_EQ(grabs(m), before);
}

// Fingers put down and lifted (view points, y down): the grab points left.
struct Fingers {
    const char* what;
    std::vector<float> down, up, left;
};

void PrintTo(const Fingers& f, std::ostream* os)
{
    *os << f.what;
}

class CropFingers : public ::testing::TestWithParam<Fingers> {};

TEST_P(CropFingers, AreRecordedAndLiftedNearestFirst)
{
    const Fingers& f = GetParam();
    CropModel m;
    cropSetPhoto(m, 640, 480);
    began(m, f.down);
    ended(m, f.up);
    EXPECT_EQ(grabs(m), f.left);
    EXPECT_EQ(m.imScale, 1.0f);
}

std::vector<float> fingersInARow(int n, float y)
{
    std::vector<float> xy;
    for (int i = 0; i < n; ++i)
        xy.insert(xy.end(), {float(10 * i), y});
    return xy;
}

INSTANTIATE_TEST_SUITE_P(
    Gestures, CropFingers,
    ::testing::Values(
        Fingers{"in order, y up", {10, 20, 30, 470}, {}, {10, 460, 30, 10}},
        Fingers{"ten at most", fingersInARow(12, 100), {}, fingersInARow(10, kH - 100)},
        Fingers{"the only finger lifts wherever it is", {10, 10}, {300, 400}, {}},
        Fingers{"a lift with none left", {10, 10}, {10, 10, 10, 10}, {}},
        Fingers{"the nearest lifts", {10, 10, 100, 10, 200, 10}, {95, 12}, {10, 470, 200, 470}},
        Fingers{"halfway: the lower index", {200, 10, 100, 10}, {150, 10}, {100, 470}},
        Fingers{"the last of many lifts wherever it is", {10, 10, 100, 10, 200, 10}, {100, 10, 900, 900, 900, 900}, {}},
        Fingers{"not a number is not recorded", {kNaN, 10, 100, 100, 5, kNaN}, {}, {100, 380}}));

TEST(CropOneFinger, ThePhotoPointUnderTheFingerFollowsItAtAnyTurnAndScale)
{
    // Where photo point p shows in the face: s R(theta) (p - m) + the face centre.
    auto faceX = [](const CropModel& m, double px, double py) {
        return m.imScale * (std::cos(m.imRot) * (px - m.imCenterX) - std::sin(m.imRot) * (py - m.imCenterY));
    };
    auto faceY = [](const CropModel& m, double px, double py) {
        return m.imScale * (std::sin(m.imRot) * (px - m.imCenterX) + std::cos(m.imRot) * (py - m.imCenterY));
    };
    for (float turn : {0.0f, 1.5707964f, -2.3f, 7.1f}) {
        for (float scale : {1.0f, 0.37f, 3.5f}) {
            CropModel m;
            cropSetPhoto(m, 640, 480);
            m.imRot = turn;
            m.imScale = scale;
            const double x0 = faceX(m, 300, 200), y0 = faceY(m, 300, 200);
            began(m, {100, 200});
            EXPECT_TRUE(cropTouchMoved(m, 117, 188, kH));  // 17 right, 12 up
            EXPECT_NEAR(faceX(m, 300, 200) - x0, 17.0, 1e-3) << turn << " " << scale;
            EXPECT_NEAR(faceY(m, 300, 200) - y0, 12.0, 1e-3) << turn << " " << scale;
        }
    }
}

TEST(CropMoves, WithoutAGrabPointOrNumbersChangeNothing)
{
    CropModel m;
    cropSetPhoto(m, 640, 480);
    began(m, {100, 200});
    ended(m, {100, 200});
    m.grabx[0] = 50;  // whatever the last finger left behind
    EXPECT_FALSE(cropTouchMoved(m, 300, 300, kH));
    EXPECT_EQ(m.grabx[0], 50.0f);

    began(m, {100, 100});
    cropTouchesBegan(m, nullptr, 3, kH);
    cropTouchesEnded(m, nullptr, 3, kH);
    EXPECT_FALSE(cropTouchMoved(m, kNaN, 100, kH));
    EXPECT_FALSE(cropTouchMoved(m, 100, std::numeric_limits<float>::infinity(), kH));
    EXPECT_EQ(grabs(m), (std::vector<float>{100, 380}));
    expectTransform(m, 1, 0, 320, 240);
}

TEST(CropMoves, AThirdFingerMovesOnlyItsPointAndTheFirstTwoSteer)
{
    CropModel two, three;
    cropSetPhoto(two, 640, 480);
    cropSetPhoto(three, 640, 480);
    began(two, {100, 200, 200, 200});
    began(three, {100, 200, 200, 200, 150, 420});
    EXPECT_FALSE(cropTouchMoved(three, 160, 410, kH));
    EXPECT_EQ(grabs(three), (std::vector<float>{100, 280, 200, 280, 160, 70}));
    expectTransform(three, 1, 0, 320, 240);
    for (auto [x, y] : {std::pair{250.0f, 200.0f}, {90, 210}, {260, 150}, {120, 260}}) {
        EXPECT_TRUE(cropTouchMoved(two, x, y, kH));
        EXPECT_TRUE(cropTouchMoved(three, x, y, kH));
        expectTransform(three, two.imScale, two.imRot, two.imCenterX, two.imCenterY);
    }
    EXPECT_NE(two.imScale, 1.0f);
}

// Two fingers whose distance is 0, or whose ratio of distances overflows or
// underflows: the move pans only, the scale stays finite and above 0.
TEST(CropMoves, ADegenerateScaleFactorPansOnly)
{
    const struct {
        float x1, movedX, centreX;
    } cases[] = {
        {0, 40, 300},             // coincident: the midpoint moved 20
        {1e-19f, 1e20f, -5e19f},  // the factor is infinite
        {4e-23f, 2.5e-23f, 320},  // squares underflow: the new distance is 0
    };
    for (const auto& c : cases) {
        CropModel m;
        cropSetPhoto(m, 640, 480);
        began(m, {0, 0, c.x1, 0}, 0);
        EXPECT_TRUE(cropTouchMoved(m, c.movedX, 0, 0));
        EXPECT_EQ(m.imScale, 1.0f) << c.x1;
        EXPECT_EQ(m.imRot, 0.0f) << c.x1;
        EXPECT_FLOAT_EQ(m.imCenterX, c.centreX) << c.x1;
    }
}

}  // namespace
}  // namespace zorbel
