// Touch grabbing through the GL view's handlers where the tilt-and-hands trace
// does not reach: ten fingers, two tacks at once, moves past tacked points, corners.
#include "sceneFixture.h"

namespace zorbel::test {
namespace {

TEST_F(SceneTest, AnEleventhFingerIsIgnored)
{
    std::vector<TouchPoint> ten;
    for (int i = 0; i < 10; ++i)
        ten.push_back({60.0f + 120.0f * (i % 2), 40.0f + 80.0f * (i / 2)});
    view->touchesBegan(ten.data(), 10);
    ASSERT_EQ(guy->grabCount, 10);
    const Guy before = *guy;
    began(300.0f, 250.0f);
    EXPECT_EQ(guy->grabCount, 10);
    EXPECT_EQ(0, std::memcmp(before.grabX, guy->grabX, sizeof before.grabX));
}

TEST_F(SceneTest, TackCornerPinsEveryGrabAndAFingerTakesOneBack)
{
    const TouchPoint two[2] = {{100.0f, 200.0f}, {220.0f, 200.0f}};
    view->touchesBegan(two, 2);
    began(10.0f, 470.0f);
    view->touchesEnded(two, 2);
    EXPECT_EQ(guy->grabCount, 2);
    EXPECT_EQ(guy->tackCount, 2);

    // A finger near a tacked point untacks and holds it; lifting removes it.
    began(105.0f, 205.0f);
    EXPECT_EQ(guy->tackCount, 1);
    EXPECT_EQ(guy->grabTacked[0], 0);
    ended(105.0f, 205.0f);
    EXPECT_EQ(guy->grabCount, 1);
    EXPECT_EQ(guy->grabTacked[0], 1);
    EXPECT_EQ(guy->grabX[0], (2.0f * (220.0f - 160.0f)) / 320.0f);
}

TEST_F(SceneTest, MovesDragTheNearestFreePointAndStopWithoutGrabs)
{
    moved(100.0f, 100.0f);  // no grabs: nothing
    EXPECT_EQ(guy->grabCount, 0);
    began(100.0f, 200.0f);
    began(10.0f, 470.0f);
    began(250.0f, 300.0f);  // free
    moved(110.0f, 210.0f);  // nearest is tacked: the free one comes instead
    EXPECT_EQ(guy->grabX[1], (2.0f * (110.0f - 160.0f)) / 320.0f);
    EXPECT_EQ(guy->grabX[0], (2.0f * (100.0f - 160.0f)) / 320.0f);
}

// The icon's flip is the tilt-and-hands trace's.
TEST_F(SceneTest, InfoCornerOpensTheOverlayAndAMoveIntoItStillDrags)
{
    int opened = 0;
    view->infoCornerAction = [&] { ++opened; };
    began(315.0f, 475.0f);
    EXPECT_EQ(opened, 1);
    EXPECT_EQ(guy->grabCount, 0);
    began(160.0f, 240.0f);
    moved(300.0f, 470.0f);
    EXPECT_EQ(guy->grabX[0], (2.0f * (300.0f - 160.0f)) / 320.0f);
}

}  // namespace
}  // namespace zorbel::test
