// What the frame draws, checked on the rendered pixels.
#include "sceneFixture.h"

#include <cmath>

namespace zorbel::test {
namespace {

// Standing after 400 frames: the board fills the frame, chalk lies along the
// limbs and nowhere else, the info icon sits in its corner. Then a tacked hand
// shows a yellow tack, and the tack tool shows only while a grab is free.
TEST_F(SceneTest, BoardChalkIconTacksAndTheTackTool)
{
    frames(400);
    grab();
    int board = 0;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            board += isBoard(at(x, y)) ? 1 : 0;
    EXPECT_GT(board, width * height * 95 / 100);
    for (int y = 0; y < 40; ++y) {  // top corners, far from everything
        EXPECT_TRUE(isBoard(at(y, y)));
        EXPECT_TRUE(isBoard(at(width - 1 - y, y)));
    }

    const float* body[] = {guy->legsStrip,  guy->armsStrip,  guy->foot1Strip, guy->foot2Strip,
                           guy->hand1Strip, guy->hand2Strip, guy->headStrip,  guy->eye1Strip,
                           guy->eye2Strip,  guy->noseStrip,  guy->mouthStrip};
    const int counts[] = {guy->legsStripN,  guy->armsStripN,  guy->foot1StripN, guy->foot2StripN,
                          guy->hand1StripN, guy->hand2StripN, guy->headStripN,  guy->eye1StripN,
                          guy->eye2StripN,  guy->noseStripN,  guy->mouthStripN};
    int chalk = 0;  // every chalk pixel belongs to a stroke (the info icon corner aside)
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            if (!isChalk(at(x, y)) || (x > 280 && y > 440))
                continue;
            ++chalk;
            float d = 1e9f;
            for (int s = 0; s < 11; ++s)
                d = std::fmin(d, picture.distanceToStrip(body[s], counts[s], x + 0.5f, y + 0.5f));
            ASSERT_LT(d, 4.0f) << "stray chalk at " << x << ", " << y;
        }
    }
    EXPECT_GT(chalk, 100);
    for (int s = 0; s < 2; ++s) {  // and every limb segment shows chalk along it
        for (int k = 0; k + 1 < counts[s]; ++k) {
            int ax, ay, bx, by;
            toPixel(body[s][2 * k], body[s][2 * k + 1], ax, ay);
            toPixel(body[s][2 * k + 2], body[s][2 * k + 3], bx, by);
            EXPECT_GT(countNear((ax + bx) / 2, (ay + by) / 2, 3, isChalk), 0) << "strip " << s << " segment " << k;
        }
    }
    EXPECT_GT(countNear(304, 464, 12, isLightBlue), 10);  // the info icon
    EXPECT_EQ(countNear(16, 16, 12, isLightBlue), 0);
    auto notBoard = [](const Pixel& p) { return !isBoard(p); };
    EXPECT_EQ(countNear(17, 462, 14, notBoard), 0) << "a tack tool with nothing to tack";

    // Hold the right hand, tack it, lift the finger.
    int hx, hy;
    toPixel(guy->posX[5], guy->posY[5], hx, hy);
    began(static_cast<float>(hx), static_cast<float>(hy));
    began(10.0f, 470.0f);
    ended(static_cast<float>(hx), static_cast<float>(hy));
    ASSERT_EQ(guy->tackCount, 1);
    frames(5);
    grab();
    int tx, ty;
    toPixel(guy->grabX[0] + 0.06875f, guy->grabY[0] + 0.1f, tx, ty);
    EXPECT_GT(countNear(tx, ty, 12, isYellow), 20);
    toPixel(guy->grabX[0] - 0.2f, guy->grabY[0] - 0.2f, tx, ty);
    EXPECT_EQ(countNear(tx, ty, 6, isYellow), 0);
    EXPECT_EQ(countNear(17, 462, 14, notBoard), 0) << "a tack tool with every grab tacked";

    began(200.0f, 60.0f);  // a finger on the board
    frames(30);
    grab();
    EXPECT_GT(countNear(17, 462, 14, notBoard), 10) << "no tack tool while a grab is free";
}

TEST_F(SceneTest, PausedFrameLoopLeavesThePictureAndTheFigureAlone)
{
    frames(10);
    const uint64_t presents = view->layer().presentCount();
    const Guy before = *guy;
    glAnimationEnable = 0;
    frames(10);
    EXPECT_EQ(view->layer().presentCount(), presents);
    EXPECT_EQ(0, std::memcmp(&before, guy, sizeof(Guy)));
    glAnimationEnable = 1;
    frames(1);
    EXPECT_EQ(view->layer().presentCount(), presents + 1);
}

TEST_F(SceneTest, AcceptsOnlyFiniteAccelerometerReadings)
{
    delegate.accelerometerDidAccelerate(0.25, -0.75, 0.1);
    EXPECT_EQ(view->getAccelX(), 0.25f);
    EXPECT_EQ(view->getAccelY(), -0.75f);
    const double nan = std::nan("");
    const double bad[][3] = {{0.5, -0.5, nan}, {nan, 0, 0}, {0, INFINITY, 0}, {1e300, 0, 0}, {0, 0, -1e39}};
    for (const auto& r : bad) {
        delegate.accelerometerDidAccelerate(r[0], r[1], r[2]);
        EXPECT_EQ(view->getAccelX(), 0.25f);
        EXPECT_EQ(view->getAccelY(), -0.75f);
    }
    frames(100);
    for (int i = 0; i < 8; ++i)
        EXPECT_TRUE(std::isfinite(guy->posX[i]) && std::isfinite(guy->posY[i]));
}

}  // namespace
}  // namespace zorbel::test
