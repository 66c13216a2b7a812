// Fitting the 320 x 480 point screen into windows of various shapes.
#include <gtest/gtest.h>

#include <cmath>

#include "platform/window/letterbox.h"

namespace zorbel {
namespace {

TEST(Letterbox, WideWindowGetsBarsLeftAndRight)
{
    const Letterbox box = fitLetterbox(1000.0f, 600.0f);
    EXPECT_FLOAT_EQ(box.scale, 1.25f);
    EXPECT_FLOAT_EQ(box.offsetX, 300.0f);  // 400 wide screen, centred
    EXPECT_FLOAT_EQ(box.offsetY, 0.0f);
    const PixelRect r = letterboxPixelRect(box);
    EXPECT_EQ(r.x, 300);
    EXPECT_EQ(r.y, 0);
    EXPECT_EQ(r.width, 400);
    EXPECT_EQ(r.height, 600);
}

TEST(Letterbox, TallWindowGetsBarsTopAndBottom)
{
    const Letterbox box = fitLetterbox(640.0f, 1200.0f);
    EXPECT_FLOAT_EQ(box.scale, 2.0f);
    EXPECT_FLOAT_EQ(box.offsetX, 0.0f);
    EXPECT_FLOAT_EQ(box.offsetY, 120.0f);
}

TEST(Letterbox, ExactFitHasNoBars)
{
    const Letterbox box = fitLetterbox(480.0f, 720.0f);
    EXPECT_FLOAT_EQ(box.scale, 1.5f);
    EXPECT_FLOAT_EQ(box.offsetX, 0.0f);
    EXPECT_FLOAT_EQ(box.offsetY, 0.0f);
}

TEST(Letterbox, PixelRectEdgesRoundToNearestPixel)
{
    // 333 x 480: scale 1, bars of 6.5 px each side.
    const PixelRect r = letterboxPixelRect(fitLetterbox(333.0f, 480.0f));
    EXPECT_EQ(r.x, 7);
    EXPECT_EQ(r.width, 320);
    EXPECT_EQ(r.x + r.width, 327);  // right bar 6 px: edges stay inside the area
}

TEST(LetterboxToPoints, MapsWindowPositionsToScreenPoints)
{
    const Letterbox box = fitLetterbox(1000.0f, 600.0f);
    float px = -1, py = -1;
    EXPECT_TRUE(letterboxToPoints(box, 500.0f, 300.0f, px, py));
    EXPECT_FLOAT_EQ(px, 160.0f);
    EXPECT_FLOAT_EQ(py, 240.0f);
    EXPECT_TRUE(letterboxToPoints(box, 300.0f, 0.0f, px, py));
    EXPECT_FLOAT_EQ(px, 0.0f);
    EXPECT_FLOAT_EQ(py, 0.0f);
    EXPECT_TRUE(letterboxToPoints(box, 699.0f, 599.0f, px, py));
    EXPECT_FLOAT_EQ(px, 319.2f);
    EXPECT_FLOAT_EQ(py, 479.2f);
}

TEST(LetterboxToPoints, OutsideTheScreenGivesUnclampedPointsAndFalse)
{
    const Letterbox box = fitLetterbox(1000.0f, 600.0f);
    float px = 0, py = 0;
    EXPECT_FALSE(letterboxToPoints(box, 100.0f, 300.0f, px, py));  // left bar
    EXPECT_FLOAT_EQ(px, -160.0f);
    EXPECT_FLOAT_EQ(py, 240.0f);
    EXPECT_FALSE(letterboxToPoints(box, 700.0f, 300.0f, px, py));  // right edge is outside
    EXPECT_FLOAT_EQ(px, 320.0f);
}

TEST(LetterboxToPoints, EmptyWindowGivesNoPoints)
{
    const Letterbox box = fitLetterbox(0.0f, 600.0f);
    EXPECT_EQ(box.scale, 0.0f);
    float px = 7, py = 7;
    EXPECT_FALSE(letterboxToPoints(box, 10.0f, 10.0f, px, py));
    EXPECT_EQ(px, 0.0f);
    EXPECT_EQ(py, 0.0f);
    EXPECT_EQ(fitLetterbox(-5.0f, -5.0f).scale, 0.0f);
    EXPECT_EQ(fitLetterbox(NAN, 600.0f).scale, 0.0f);
}

TEST(InitialWindowScale, LargestHalfStepWithin85PercentOfHeight)
{
    EXPECT_FLOAT_EQ(initialWindowScale(1280, 1024), 1.5f);  // 720 <= 870 < 960
    EXPECT_FLOAT_EQ(initialWindowScale(1920, 1050), 1.5f);  // 720 <= 892 < 960
    EXPECT_FLOAT_EQ(initialWindowScale(1920, 1200), 2.0f);  // 960 <= 1020
    EXPECT_FLOAT_EQ(initialWindowScale(2560, 1410), 2.0f);  // 1198 < 1200
    EXPECT_FLOAT_EQ(initialWindowScale(3840, 2130), 3.5f);  // 1680 <= 1810 < 1920
}

TEST(InitialWindowScale, SmallDisplaysGoBelowOne)
{
    EXPECT_FLOAT_EQ(initialWindowScale(800, 480), 0.5f);   // 408 usable: 480 does not fit
    EXPECT_FLOAT_EQ(initialWindowScale(100, 100), 0.5f);   // never below 0.5
    EXPECT_FLOAT_EQ(initialWindowScale(300, 2000), 0.5f);  // width limits: 320 > 300
    EXPECT_FLOAT_EQ(initialWindowScale(0, 0), 1.0f);       // unknown display
    EXPECT_FLOAT_EQ(initialWindowScale(-1, 900), 1.0f);
}

}  // namespace
}  // namespace zorbel
