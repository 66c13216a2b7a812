// The page in headless Chromium: the board and the figure by their pixels,
// fingers, mouse and keys sent as the browser's own input events, the phone
// turned through Chromium's sensor override, the preferences in local
// storage, and the site opening again once its server has gone.
#include "page.h"
#include "testHome.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace zorbel::test {
namespace {

class PageTest : public ::testing::Test {
protected:
    SiteServer server{webBuild() + "/site"};
};

TEST_F(PageTest, TheBoardComesUpAndHeStandsOnIt)
{
    Chromium browser;
    Tab tab(browser, {});
    tab.open(server.url());
    ASSERT_TRUE(tab.waitFor("document.getElementById('board').style.visibility == 'visible'"))
        << "no first frame; console: " << ::testing::PrintToString(tab.console());
    const RGBAImage first = tab.screenshot();
    ASSERT_EQ(first.width, 320);
    ASSERT_EQ(first.height, 480);
    // The board fills the page at 320 x 480: its corners are blackboard.
    for (auto [x, y] : {std::pair{5, 5}, {314, 5}, {5, 300}, {314, 300}})
        EXPECT_TRUE(board(at(first, x, y))) << x << "," << y;
    EXPECT_GT(extent(first, chalk).count, 200) << "no chalk figure in the first frame";

    const RGBAImage shot = until(tab, standing);
    ASSERT_TRUE(standing(shot)) << "he does not stand up";
}

// Two fingers, as a phone's browser sends them: one grabs his head and
// lifts him, the other taps the tack corner; both lift and he hangs there.
TEST_F(PageTest, TwoFingersLiftHimByTheHeadAndTackHimUp)
{
    Chromium browser;
    Tab tab(browser, {});
    tab.open(server.url());
    ASSERT_TRUE(boardShown(tab));
    const RGBAImage shot = standingStill(tab);
    ASSERT_TRUE(shot.width > 0 && standing(shot)) << "he does not stand still";
    const Extent c = extent(shot, chalk, 0, 420);
    // Standing still, his arms hang: the head's top is the chalk's top.
    int headX = 0, n = 0;
    for (int x = 0; x < shot.width; ++x)
        if (chalk(at(shot, x, c.top + 2)))
            headX += x, ++n;
    ASSERT_GT(n, 0);
    headX /= n;
    const double headY = c.top + 12;

    // A finger's pace: a few points a frame, as he follows it up.
    tab.touch("touchStart", {{static_cast<double>(headX), headY, 1}});
    for (int step = 1; step <= 40; ++step) {
        tab.touch("touchMove", {{static_cast<double>(headX), headY - (headY - 60) * step / 40, 1}});
        tab.frames(2);
    }
    tab.frames(40);
    const RGBAImage lifted = tab.screenshot();
    tab.touch("touchStart", {{static_cast<double>(headX), 60, 1}, {17, 462, 2}});
    tab.touch("touchEnd", {{static_cast<double>(headX), 60, 1}});
    tab.touch("touchEnd", {});

    // Tacked: the yellow tack and his chalk stay in the top two fifths.
    const RGBAImage hung = until(tab, [](const RGBAImage& img) {
        const Extent yellow = extent(img, tackYellow, 0, 192);
        const Extent top = extent(img, chalk, 0, 192);
        return yellow.count > 20 && top.count > 50;
    });
    EXPECT_GT(extent(hung, tackYellow, 0, 192).count, 20) << "no tack near the top";
    EXPECT_GT(extent(hung, chalk, 0, 192).count, 50) << "he does not hang in the top two fifths";
    tab.frames(120);
    const RGBAImage later = tab.screenshot();
    EXPECT_GT(extent(later, tackYellow, 0, 192).count, 20) << "the tack came away";
    EXPECT_GT(extent(later, chalk, 0, 192).count, 50) << "he fell";
    if (HasFailure()) {
        savePNG("/tmp/f_start.png", shot);
        savePNG("/tmp/f_lifted.png", lifted);
        savePNG("/tmp/f_later.png", later);
        std::printf("head %d %g\n", headX, headY);
    }
}

// The phone laid on its side, as Chromium's sensor override reports it: the
// W3C's reading points away from the floor (+9.8 m/s^2 up the device), and
// he slides down to the side that is lowest. The override is on before the
// page loads; Chromium sends nothing when it is turned on later.
TEST_F(PageTest, LayingThePhoneOnItsSideSlidesHimThatWay)
{
    Chromium browser;
    Tab tab(browser, {});
    tab.send("Emulation.setSensorOverrideEnabled", {{"enabled", true}, {"type", "accelerometer"}});
    auto reading = [&](double x, double y) {
        tab.send("Emulation.setSensorOverrideReadings",
                 {{"type", "accelerometer"}, {"reading", {{"xyz", {{"x", x}, {"y", y}, {"z", 0}}}}}});
    };
    reading(0, 9.8);  // upright
    tab.open(server.url());
    ASSERT_TRUE(boardShown(tab));
    ASSERT_TRUE(standing(until(tab, standing))) << "upright, he stands";

    // Right edge down: the floor is the right wall, and he stands on it.
    reading(-9.8, 0);
    auto onRightWall = [](const RGBAImage& img) {
        const Extent c = extent(img, chalk, 0, img.height - 60);
        return c.count && c.right >= 300 && (c.left + c.right) / 2 > 170;
    };
    EXPECT_TRUE(onRightWall(until(tab, onRightWall))) << "he does not slide to the right";
    reading(9.8, 0);  // left edge down
    auto onLeftWall = [](const RGBAImage& img) {
        const Extent c = extent(img, chalk, 0, img.height - 60);
        return c.count && c.left <= 20 && (c.left + c.right) / 2 < 150;
    };
    EXPECT_TRUE(onLeftWall(until(tab, onLeftWall))) << "he does not slide to the left";
}

// The spring stiffness slider's track left of x is blue, right of it grey.
bool stiffnessBlueAt(const RGBAImage& img, int x)
{
    const Pixel p = at(img, x, 273);
    return p.b > p.r + 40;
}

// Local storage holds the physics settings as the desktop's file holds
// them; a stored value that is not a number gives the default, one log
// line, and a toy that runs.
TEST_F(PageTest, StoredSettingsSurviveAReloadAndABadOneGivesTheDefault)
{
    Chromium browser;
    Tab tab(browser, {});
    tab.open(server.url());
    ASSERT_TRUE(boardShown(tab));
    openSettings(tab);
    ASSERT_TRUE(stiffnessBlueAt(tab.screenshot(), 150)) << "the default stiffness is past the middle";
    // The knob (at 1.0 of 0.4 to 1.1) dragged to the left end; Dismiss stores it.
    tab.touch("touchStart", {{234, 273, 1}});
    for (int x = 224; x >= 30; x -= 10)
        tab.touch("touchMove", {{static_cast<double>(x), 273, 1}});
    tab.touch("touchEnd", {});
    tap(tab, 270, 462);
    EXPECT_EQ(tab.eval("localStorage.getItem('SPR_COEFF_MULT')"), "0.40000000596046448");

    tab.reload();
    ASSERT_TRUE(boardShown(tab));
    openSettings(tab);
    EXPECT_FALSE(stiffnessBlueAt(tab.screenshot(), 150)) << "the stored stiffness is gone after a reload";

    tab.eval("localStorage.setItem('SPR_COEFF_MULT', 'abc')");
    tab.reload();
    ASSERT_TRUE(tab.waitFor("document.getElementById('board').style.visibility == 'visible'"))
        << "a bad stored value stops the toy";
    openSettings(tab);
    EXPECT_TRUE(stiffnessBlueAt(tab.screenshot(), 150)) << "a bad stored value does not give the default";
    int said = 0;
    for (const std::string& line : tab.console())
        said += line == "##### Preference SPR_COEFF_MULT is not a number; using its default";
    EXPECT_EQ(said, 1) << ::testing::PrintToString(tab.console());
}

// The site keeps itself (the service worker's cache): with its server gone
// the page loads again, and the toy runs.
TEST_F(PageTest, ThePageOpensAgainAfterItsServerHasStopped)
{
    Chromium browser;
    Tab tab(browser, {});
    tab.open(server.url());
    ASSERT_TRUE(boardShown(tab));
    ASSERT_TRUE(tab.waitFor("navigator.serviceWorker.controller != null", 30000)) << "no service worker took the page";
    ASSERT_TRUE(tab.waitFor("caches.keys().then(k => k.length == 1 && caches.open(k[0]))"
                            ".then(c => c && c.keys()).then(r => r && r.length >= 10)"))
        << "the site is not cached whole";
    server.stop();

    tab.reload();
    EXPECT_TRUE(tab.waitFor("document.getElementById('board').style.visibility == 'visible'"))
        << "the page does not open without its server";
    EXPECT_TRUE(standing(until(tab, standing))) << "the toy does not run offline";
}

// A desktop browser: no touches, no motion. The mouse is a finger and the
// right button tacks what it holds; the arrow keys turn the virtual phone;
// Escape closes the screen on top.
TEST_F(PageTest, TheMouseAndTheKeysOnADesktopBrowser)
{
    Chromium browser;
    Tab tab(browser, {1280, 800, 1, false});
    tab.open(server.url());
    ASSERT_TRUE(boardShown(tab));
    // 320 x 480 points at 5/3 pixels each, in the middle: black bars left and right.
    const int bx = (1280 - 533) / 2, bw = 533, bh = 800;
    const double scale = 800.0 / 480;
    auto boardShot = [&](const RGBAImage& page) { return cropOf(page, bx, 0, bw, bh); };
    RGBAImage page = until(tab, [&](const RGBAImage& img) { return standing(boardShot(img)); });
    ASSERT_TRUE(standing(boardShot(page)));
    const Pixel bar = at(page, 100, 400);
    EXPECT_LT(bar.r + bar.g + bar.b, 10) << "no black bar beside the board";

    // Right arrow held: the phone turns (2 degrees a step), its right side
    // goes down, and he ends up standing on the right wall.
    tab.keyDown("ArrowRight");
    tab.frames(45);
    tab.keyUp("ArrowRight");
    auto onRightWall = [&](const RGBAImage& img) {
        const Extent c = extent(boardShot(img), chalk, 0, bh * 7 / 8);
        return c.count && c.right >= bw * 93 / 100 && (c.left + c.right) / 2 > bw / 2;
    };
    EXPECT_TRUE(onRightWall(until(tab, onRightWall))) << "he does not slide right when the phone turns";
    tab.key("Home");  // upright again
    const RGBAImage b = standingStill(tab, 0, bx, bw, bh);
    ASSERT_TRUE(b.width > 0) << "he does not stand still again";

    // Grab his head with the mouse, lift him, tack him with the right button.
    const Extent c = extent(b, chalk, 0, bh - 100);
    int headX = 0, n = 0;
    for (int x = 0; x < bw; ++x)
        if (chalk(at(b, x, c.top + 3)))
            headX += x, ++n;
    ASSERT_GT(n, 0);
    const double x = bx + static_cast<double>(headX) / n, y0 = c.top + 20;
    tab.mouse("mouseMoved", x, y0);
    tab.mouse("mousePressed", x, y0, "left");
    for (int step = 1; step <= 40; ++step) {
        tab.mouse("mouseMoved", x, y0 - (y0 - 80) * step / 40, "left");
        tab.frames(2);
    }
    tab.frames(40);
    tab.mouse("mousePressed", x, 80, "right");
    tab.mouse("mouseReleased", x, 80, "right");
    tab.mouse("mouseReleased", x, 80, "left");
    tab.frames(120);
    page = tab.screenshot();
    EXPECT_GT(extent(boardShot(page), tackYellow, 0, bh * 2 / 5).count, 40) << "the right button tacks nothing";
    EXPECT_GT(extent(boardShot(page), chalk, 0, bh * 2 / 5).count, 100) << "he does not hang from the tack";

    // The info corner clicked: the overlay; Escape closes it.
    const double cornerX = bx + 312 * scale, cornerY = 472 * scale;
    tab.mouse("mouseMoved", cornerX, cornerY);
    tab.mouse("mousePressed", cornerX, cornerY, "left");
    tab.mouse("mouseReleased", cornerX, cornerY, "left");
    ASSERT_TRUE(tab.waitFor("document.getElementById('screens').style.visibility == 'visible'"));
    tab.key("Escape");
    EXPECT_TRUE(tab.waitFor("document.getElementById('screens').style.visibility == 'hidden'")) << "Escape";
}

// Another tab in front hides the page: it draws no frames, and when it
// shows again he goes on from where he stood, without a jump.
TEST_F(PageTest, AHiddenTabDrawsNothingAndGoesOnWithoutAJump)
{
    Chromium browser;
    Tab tab(browser, {});
    tab.open(server.url());
    ASSERT_TRUE(boardShown(tab));
    const RGBAImage before = standingStill(tab);
    ASSERT_TRUE(before.width > 0) << "he does not stand still";
    auto activate = [&](Tab& t) {
        const json info = t.send("Target.getTargetInfo");
        browser.send("Target.activateTarget", {{"targetId", info["targetInfo"]["targetId"]}});
    };
    Tab other(browser, {});
    other.open("about:blank");
    activate(other);
    ASSERT_TRUE(tab.waitFor("document.visibilityState == 'hidden'", 5000));
    const double frames = tab.eval("_zorbelFramesDrawn()").get<double>();
    std::this_thread::sleep_for(std::chrono::seconds(2));
    EXPECT_EQ(tab.eval("_zorbelFramesDrawn()").get<double>(), frames) << "a hidden tab draws";

    activate(tab);
    ASSERT_TRUE(tab.waitFor("document.visibilityState == 'visible'", 5000));
    tab.frames(10);
    const RGBAImage after = tab.screenshot();
    EXPECT_GT(tab.eval("_zorbelFramesDrawn()").get<double>(), frames) << "no frames after coming back";
    // His head and his feet where they were (his arms sway as he stands).
    EXPECT_TRUE(standing(after)) << "he fell";
    const Extent headBefore = extent(before, chalk, 0, 420), headAfter = extent(after, chalk, 0, 420);
    const Extent feetBefore = extent(cropOf(before, 0, 440, 280, 40), chalk),
                 feetAfter = extent(cropOf(after, 0, 440, 280, 40), chalk);
    EXPECT_LT(std::abs(headBefore.top - headAfter.top) + std::abs(feetBefore.left - feetAfter.left) +
                  std::abs(feetBefore.right - feetAfter.right),
              6)
        << "he jumped while the tab was hidden";
}

// A browser without WebGL, or without WebAssembly, gets a sentence saying
// so, not a blank page. (Chromium turns WebGL off with a flag; WebAssembly
// is taken away before the page's script runs.)
TEST_F(PageTest, WithoutWebGLOrWebAssemblyThePageSaysSo)
{
    for (const bool webgl : {false, true}) {
        SCOPED_TRACE(webgl ? "no WebAssembly" : "no WebGL");
        Chromium browser(webgl ? std::vector<std::string>{} : std::vector<std::string>{"--disable-webgl"});
        Tab tab(browser, {});
        if (webgl)
            tab.send("Page.addScriptToEvaluateOnNewDocument", {{"source", "delete window.WebAssembly"}});
        tab.open(server.url());
        const json text = tab.eval("document.getElementById('message').textContent");
        ASSERT_TRUE(text.is_string());
        EXPECT_NE(text.get<std::string>().find(webgl ? "WebAssembly" : "WebGL"), std::string::npos) << text;
        EXPECT_NE(tab.eval("getComputedStyle(document.getElementById('message')).display"), "none");
    }
}

}  // namespace
}  // namespace zorbel::test
