// Fitting the 320 x 480 point screen into windows of various shapes.
#include <gtest/gtest.h>

#include <cmath>

#include "platform/window/letterbox.h"

namespace zorbel {
namespace {

TEST(Letterbox, FitsTheScreenCentredWithBarsOnTheSpareSides)
{
    const struct {
        float w, h, scale, offsetX, offsetY;
        PixelRect rect;
    } cases[] = {
        {1000, 600, 1.25f, 300, 0, {300, 0, 400, 600}},             // wide: bars left and right
        {640, 1200, 2, 0, 120, {0, 120, 640, 960}},                 // tall: bars top and bottom
        {480, 720, 1.5f, 0, 0, {0, 0, 480, 720}},                   // exact: no bars
        {333, 480, 1, 6.5f, 0, {7, 0, 320, 480}},                   // edges round to the nearest pixel, inside the area
        {1080, 1600, 10.0f / 3, 6.666687f, 0, {7, 0, 1067, 1600}},  // as wide as a picture of round(320 * scale)
        {0, 600, 0, 0, 0, {0, 0, 0, 0}},                            // empty window: no screen
        {-5, -5, 0, 0, 0, {0, 0, 0, 0}},
        {NAN, 600, 0, 0, 0, {0, 0, 0, 0}},
    };
    for (const auto& c : cases) {
        const Letterbox box = fitLetterbox(c.w, c.h);
        SCOPED_TRACE(::testing::Message() << c.w << " x " << c.h);
        EXPECT_FLOAT_EQ(box.scale, c.scale);
        EXPECT_FLOAT_EQ(box.offsetX, c.offsetX);
        EXPECT_FLOAT_EQ(box.offsetY, c.offsetY);
        const PixelRect r = letterboxPixelRect(box);
        EXPECT_EQ(r.x, c.rect.x);
        EXPECT_EQ(r.y, c.rect.y);
        EXPECT_EQ(r.width, c.rect.width);
        EXPECT_EQ(r.height, c.rect.height);
    }
}

// Window positions to screen points, unclamped, and whether they are on the screen.
TEST(Letterbox, MapsWindowPositionsToScreenPoints)
{
    const struct {
        float w, h, x, y, px, py;
        bool onScreen;
    } cases[] = {
        {1000, 600, 500, 300, 160, 240, true},  // the middle
        {1000, 600, 300, 0, 0, 0, true},        // the top-left corner
        {1000, 600, 699, 599, 319.2f, 479.2f, true},
        {1000, 600, 100, 300, -160, 240, false},  // the left bar
        {1000, 600, 700, 300, 320, 240, false},   // the right edge is outside
        {640, 1200, 320, 130, 160, 5, true},      // below the top bar
        {640, 1200, 320, 100, 160, -10, false},   // on it
        {0, 600, 10, 10, 0, 0, false},            // no screen
    };
    for (const auto& c : cases) {
        float px = 7, py = 7;
        EXPECT_EQ(letterboxToPoints(fitLetterbox(c.w, c.h), c.x, c.y, px, py), c.onScreen) << c.x << ", " << c.y;
        EXPECT_FLOAT_EQ(px, c.px) << c.x << ", " << c.y;
        EXPECT_FLOAT_EQ(py, c.py) << c.x << ", " << c.y;
    }
}

TEST(InitialWindowScale, LargestHalfStepWithin85PercentOfTheHeightAndTheWidth)
{
    const struct {
        int w, h;
        float scale;
    } cases[] = {
        {1280, 1024, 1.5f},  // 720 <= 870 < 960
        {1920, 1050, 1.5f},  // 720 <= 892 < 960
        {1920, 1200, 2.0f},  // 960 <= 1020
        {2560, 1410, 2.0f},  // 1198 < 1200
        {3840, 2130, 3.5f},  // 1680 <= 1810 < 1920
        {800, 480, 0.5f},    // 408 usable: 480 does not fit
        {100, 100, 0.5f},    // never below 0.5
        {300, 2000, 0.5f},   // width limits: 320 > 300
        {0, 0, 1.0f},        // unknown display
        {-1, 900, 1.0f},
    };
    for (const auto& c : cases)
        EXPECT_FLOAT_EQ(initialWindowScale(c.w, c.h), c.scale) << c.w << " x " << c.h;
}

}  // namespace
}  // namespace zorbel
