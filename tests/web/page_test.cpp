// The page in headless Chromium where only its DevTools protocol reaches:
// the phone turned through Chromium's own sensor override, the safe area of
// a phone with a notch, an update of the site, and a browser without WebGL
// or WebAssembly.
#include "page.h"
#include "chromium.h"
#include "testHome.h"

#include <gtest/gtest.h>

namespace zorbel::test {
namespace {

class PageTest : public ::testing::Test {
protected:
    SiteServer server{webBuild() + "/site"};
};

// The phone laid on its side, as Chromium's sensor override reports it: the
// W3C's reading points away from the floor (+9.8 m/s^2 up the device), and
// he slides down to the side that is lowest. The override is on before the
// page loads; Chromium sends nothing when it is turned on later.
TEST_F(PageTest, LayingThePhoneOnItsSideSlidesHimThatWay)
{
    ChromiumPage page({}, {});
    Tab& tab = page.tab();
    tab.send("Emulation.setSensorOverrideEnabled", {{"enabled", true}, {"type", "accelerometer"}});
    auto reading = [&](double x, double y) {
        tab.send("Emulation.setSensorOverrideReadings",
                 {{"type", "accelerometer"}, {"reading", {{"xyz", {{"x", x}, {"y", y}, {"z", 0}}}}}});
    };
    reading(0, 9.8);  // upright
    page.open(server.url());
    ASSERT_TRUE(boardShown(page));
    ASSERT_TRUE(standing(until(page, standing))) << "upright, he stands";

    // Right edge down: the floor is the right wall, and he stands on it.
    reading(-9.8, 0);
    EXPECT_TRUE(onRightWall(until(page, onRightWall))) << "he does not slide to the right";
    reading(9.8, 0);  // left edge down
    EXPECT_TRUE(onLeftWall(until(page, onLeftWall))) << "he does not slide to the left";
}

// A host that lets browsers keep every file for a year, as many static
// hosts do: version 1 is installed, then version 2 goes on the host (every
// file and the version changed). After the update the page runs, and each
// file the service worker keeps is version 2's, not a year-old copy from the
// browser's HTTP cache.
TEST(ServiceWorker, AnUpdateNeverMixesTwoVersions)
{
    const std::string dir = freshDir("host");
    commandOutput("cp -r '" + webBuild() + "/site'/. '" + dir + "'");
    SiteServer host(dir, 365 * 24 * 3600);
    BrowserOptions options;
    options.fakeMedia = false;
    ChromiumPage page({}, options);
    page.open(host.url());
    ASSERT_TRUE(boardShown(page));
    ASSERT_TRUE(page.waitFor("navigator.serviceWorker.controller != null", 30000)) << "no service worker";
    ASSERT_TRUE(page.waitFor("caches.keys().then(k => k.length == 1 && caches.open(k[0]))"
                             ".then(c => c && c.keys()).then(r => r && r.length >= 10)"))
        << "version 1 is not cached whole";

    // Version 2 on the host.
    writeFile(dir + "/zorbel.js", readFile(dir + "/zorbel.js") + "\n// version 2\n");
    writeFile(dir + "/index.html", readFile(dir + "/index.html") + "<!-- version 2 -->\n");
    std::string worker = readFile(dir + "/sw.js");
    const size_t at = worker.find("const VERSION = \"");
    ASSERT_NE(at, std::string::npos);
    worker.replace(at, worker.find(';', at) - at, "const VERSION = \"version-2\"");
    writeFile(dir + "/sw.js", worker);

    page.reload();  // the browser looks for a new worker, which installs itself
    EXPECT_TRUE(page.waitFor("caches.keys().then(k => k.length == 1 && k[0] == 'zorbel-version-2' && "
                             "caches.open(k[0])).then(c => c && c.keys()).then(r => r && r.length >= 10)",
                             30000))
        << "version 2 does not replace version 1";
    page.reload();
    ASSERT_TRUE(boardShown(page)) << "the updated page does not run";
    EXPECT_TRUE(standing(until(page, standing)));
    EXPECT_EQ(page.eval("caches.open('zorbel-version-2').then(c => Promise.all(['zorbel.js', 'index.html']"
                        ".map(f => c.match(f).then(r => r.text()))))"
                        ".then(([js, html]) => [js.includes('// version 2'), html.includes('<!-- version 2 -->')])"),
              json::array({true, true}))
        << "version 2 keeps files of version 1";
}

// An iPhone 15 (393 x 852 points, 3 pixels a point) with its notch and home
// bar, upright and then on its side (where iOS ignores the manifest's
// portrait lock): the board lies inside the safe area, and the corners at
// its edges answer a touch.
TEST_F(PageTest, NothingLiesUnderTheNotchOrTheHomeBar)
{
    BrowserOptions iPhone;
    iPhone.width = 393;
    iPhone.height = 852;
    iPhone.deviceScaleFactor = 3;
    iPhone.fakeMedia = false;
    ChromiumPage page({}, iPhone);
    Tab& tab = page.tab();
    auto insets = [&](int top, int right, int bottom, int left) {
        tab.send("Emulation.setSafeAreaInsetsOverride",
                 {{"insets", {{"top", top}, {"right", right}, {"bottom", bottom}, {"left", left}}}});
    };
    insets(59, 0, 34, 0);
    // Listening switched off: without a microphone its notice would keep the
    // screens up after Dismiss.
    page.addPreloadScript("localStorage.setItem('DISABLE_MIC', 'true');");
    page.open(server.url());
    ASSERT_TRUE(boardShown(page));
    BoardRect b = page.board();
    EXPECT_GE(b.y, 59) << "the board is under the notch";
    EXPECT_LE(b.y + 480 * b.scale, 852 - 34 + 0.01) << "the board is under the home bar";

    insets(0, 59, 21, 59);
    tab.send("Emulation.setDeviceMetricsOverride",
             {{"width", 852},
              {"height", 393},
              {"deviceScaleFactor", 3},
              {"mobile", true},
              {"screenOrientation", {{"type", "landscapePrimary"}, {"angle", 90}}}});
    ASSERT_TRUE(page.waitFor("document.getElementById('board').getBoundingClientRect().height < 400", 5000))
        << "the page is not laid out again on its side";
    b = page.board(true);
    EXPECT_GE(b.x, 59) << "the board is under the notch";
    EXPECT_LE(b.x + 320 * b.scale, 852 - 59 + 0.01) << "the board is under the rounded corner";
    EXPECT_LE(b.y + 480 * b.scale, 393 - 21 + 0.01) << "the board is under the home bar";
    EXPECT_NEAR(b.y + 480 * b.scale, 393 - 21, 1) << "the board does not use the height it has";
    // The info corner, right against the home bar: the overlay opens, and
    // its Dismiss button closes it.
    tap(page, 312, 472);
    ASSERT_TRUE(screensShown(page)) << "the info corner does not answer";
    tap(page, 270, 462);
    EXPECT_TRUE(screensShown(page, false)) << "Dismiss does not answer";
}

// A browser without WebGL, or without WebAssembly, gets a sentence saying
// so, not a blank page. (Chromium turns WebGL off with a flag; WebAssembly
// is taken away before the page's script runs.)
TEST_F(PageTest, WithoutWebGLOrWebAssemblyThePageSaysSo)
{
    for (const bool webgl : {false, true}) {
        SCOPED_TRACE(webgl ? "no WebAssembly" : "no WebGL");
        ChromiumPage page(webgl ? std::vector<std::string>{} : std::vector<std::string>{"--disable-webgl"}, {});
        Tab& tab = page.tab();
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
