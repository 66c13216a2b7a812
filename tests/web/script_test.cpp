// A zorbel-sim script run in the page, in Chromium: a frame it draws has
// the desktop simulator's picture.
#include "chromium.h"
#include "page.h"
#include "testHome.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

namespace zorbel::test {
namespace {

bool chalk(const uint8_t* p)
{
    return p[0] > 170 && p[1] > 170 && p[2] > 170;
}

// The last frame of a script, drawn by the browser (WebGL, wide lines as
// quads) and by the desktop simulator (Mesa): the same figure, so the same
// chalk silhouette, give or take the edges of the strokes.
TEST(Script, AFrameInThePageLooksAsTheSimulatorDrawsIt)
{
    const std::string script = readFile(std::string(ZORBEL_TRACES) + "/tilt-and-hands.script");
    SiteServer server(webBuild() + "/site");
    ChromiumPage browser({}, {});
    runInPage(browser, server, script);
    const RGBAImage page = browser.screenshot();

    const std::string dir = freshDir("sim");
    writeFile(dir + "/frame.script", script);
    const std::string cmd =
        std::string(ZORBEL_SIM) + " --png " + dir + " --every 580 " + dir + "/frame.script > /dev/null";
    ASSERT_EQ(std::system(cmd.c_str()), 0);
    RGBAImage sim;
    ASSERT_TRUE(loadPNG(dir + "/frame-000580.png", sim));
    ASSERT_EQ(page.width, sim.width);
    ASSERT_EQ(page.height, sim.height);

    int inPage = 0, inSim = 0, differ = 0, anyChange = 0;
    for (size_t i = 0; i < sim.pixels.size(); i += 4) {
        const bool a = chalk(&page.pixels[i]), b = chalk(&sim.pixels[i]);
        inPage += a;
        inSim += b;
        differ += a != b;
        for (int c = 0; c < 3; ++c)
            if (std::abs(page.pixels[i + c] - sim.pixels[i + c]) > 8) {
                ++anyChange;
                break;
            }
    }
    const double pixels = sim.width * sim.height;
    std::printf("chalk pixels: %d in the page, %d from the simulator; the silhouettes differ in %.2f%% of the "
                "pixels, any colour by more than 8 in %.2f%%\n",
                inPage, inSim, 100.0 * differ / pixels, 100.0 * anyChange / pixels);
    RecordProperty("silhouetteDifferencePercent", std::to_string(100.0 * differ / pixels));
    ASSERT_GT(inSim, 500);
    EXPECT_NEAR(inPage, inSim, inSim / 5) << "the strokes are not as wide";
    EXPECT_LT(differ, inSim / 2) << "the silhouettes do not agree";
}

}  // namespace
}  // namespace zorbel::test
