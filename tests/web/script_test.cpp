// zorbel-sim scripts run in the page, in Chromium: the trace the browser's
// WebAssembly prints is every committed trace byte for byte, and a frame it
// draws has the desktop simulator's picture.
#include "chromium.h"
#include "testHome.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

namespace zorbel::test {
namespace {

std::string base64(const std::string& in)
{
    static const char* chars = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    int value = 0, bits = -6;
    for (unsigned char c : in) {
        value = (value << 8) + c;
        bits += 8;
        while (bits >= 0) {
            out += chars[(value >> bits) & 0x3F];
            bits -= 6;
        }
    }
    if (bits > -6)
        out += chars[((value << 8) >> (bits + 8)) & 0x3F];
    while (out.size() % 4)
        out += '=';
    return out;
}

// The page running `script`; the trace it printed.
std::string runInPage(Tab& tab, const SiteServer& server, const std::string& script)
{
    tab.open(server.url() + "?script=" + "data:text/plain;base64," + base64(script));
    EXPECT_TRUE(tab.waitFor("Module.scriptDone", 60000)) << "the script did not end";
    EXPECT_EQ(tab.eval("Module.scriptDone"), "ok") << tab.eval("Module.trace");
    const json trace = tab.eval("Module.trace");
    return trace.is_string() ? trace.get<std::string>() : std::string();
}

TEST(Script, TheBrowserPrintsEveryCommittedTrace)
{
    SiteServer server(webBuild() + "/site");
    Chromium browser;
    for (const char* name : {"standup", "tilt-and-hands", "music", "crop"}) {
        SCOPED_TRACE(name);
        Tab tab(browser, {});  // a fresh page: the scene as the simulator builds it
        const std::string dir = std::string(ZORBEL_TRACES) + "/" + name;
        const std::string trace = runInPage(tab, server, readFile(dir + ".script"));
        const std::string expected = readFile(dir + ".trace");
        if (trace != expected) {
            size_t line = 1, at = 0;
            while (at < trace.size() && at < expected.size() && trace[at] == expected[at])
                line += trace[at++] == '\n';
            ADD_FAILURE() << "differs from " << dir << ".trace at line " << line;
        }
    }
}

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
    Chromium browser;
    Tab tab(browser, {});
    runInPage(tab, server, script);
    const RGBAImage page = tab.screenshot();

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
