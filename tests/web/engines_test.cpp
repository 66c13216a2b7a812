// What a user does on the page, in each of the three engines phones use:
// Chromium, Firefox and WebKitGTK. Every input goes in as the browser's own
// event (WebKitGTK's touches as the page's own touch events, its driver
// having none), and every result is read from the page's pixels or from
// what it stores.
#include "page.h"
#include "recordings.h"
#include "testHome.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <thread>

namespace zorbel::test {
namespace {

class Engines : public ::testing::TestWithParam<Engine> {
protected:
    std::unique_ptr<Page> browse(BrowserOptions options = {})
    {
        options.site = &server;
        auto page = openBrowser(GetParam(), options);
        if (!page)
            ADD_FAILURE() << engineName(GetParam()) << " does not start";
        return page;
    }

    SiteServer server{webBuild() + "/site"};
};

TEST_P(Engines, TheFirstFrameShowsHimAndHeStands)
{
    auto page = browse();
    ASSERT_TRUE(page);
    page->open(server.url());
    ASSERT_TRUE(boardShown(*page)) << "no first frame; console: " << ::testing::PrintToString(page->console());
    const RGBAImage first = page->screenshot();
    ASSERT_EQ(first.width, 320);
    ASSERT_EQ(first.height, 480);
    for (auto [x, y] : {std::pair{5, 5}, {314, 5}, {5, 300}, {314, 300}})
        EXPECT_TRUE(board(at(first, x, y))) << x << "," << y;
    EXPECT_GT(extent(first, chalk).count, 200) << "no chalk figure in the first frame";
    EXPECT_TRUE(standing(until(*page, standing))) << "he does not stand up";
}

// Two fingers, as a phone's browser sends them: one grabs his head and
// lifts him, the other taps the tack corner; both lift and he hangs there.
TEST_P(Engines, TwoFingersLiftHimByTheHeadAndTackHimUp)
{
    auto page = browse();
    ASSERT_TRUE(page);
    page->open(server.url());
    ASSERT_TRUE(boardShown(*page));
    double x, y;
    ASSERT_TRUE(headTop(standingStill(*page), x, y)) << "he does not stand still";
    liftWithAFinger(*page, x, y + 12, 60);
    page->frames(40);
    page->touch("touchStart", {{x, 60, 1}, {17, 462, 2}});
    page->touch("touchEnd", {{x, 60, 1}});
    page->touch("touchEnd", {});

    // Tacked: the yellow tack and his chalk stay in the top two fifths.
    auto hangs = [](const RGBAImage& img) {
        return extent(img, tackYellow, 0, 192).count > 20 && extent(img, chalk, 0, 192).count > 50;
    };
    EXPECT_TRUE(hangs(until(*page, hangs))) << "no tack near the top, or he does not hang from it";
    page->frames(120);
    EXPECT_TRUE(hangs(page->screenshot())) << "the tack came away";
}

// A desktop browser: no touches, no motion. The arrow keys turn the virtual
// phone and Home stands it up again; the mouse is a finger and the right
// button tacks what it holds; Escape closes the screen on top.
TEST_P(Engines, TheKeysAndTheMouseOnADesktop)
{
    BrowserOptions desktop;
    desktop.width = 1280;
    desktop.height = 800;
    desktop.mobile = false;
    desktop.fakeMedia = false;  // a fake microphone's beeps would make him dance
    auto page = browse(desktop);
    ASSERT_TRUE(page);
    page->open(server.url());
    ASSERT_TRUE(boardShown(*page));
    // 320 x 480 points at 5/3 pixels each, in the middle: black bars left and right.
    const RGBAImage whole = page->viewportShot();
    const Pixel bar = at(whole, 100, 400);
    EXPECT_LT(bar.r + bar.g + bar.b, 10) << "no black bar beside the board";
    const BoardRect rect = page->board();
    EXPECT_NEAR(rect.scale, 800.0 / 480, 0.01);
    const double scale = rect.scale;
    ASSERT_TRUE(standing(until(*page, standing)));

    // Right arrow held: the phone turns (2 degrees a step), its right side
    // goes down, and he ends up standing on the right wall.
    page->keyDown("ArrowRight");
    page->frames(45);
    page->keyUp("ArrowRight");
    EXPECT_TRUE(onRightWall(until(*page, onRightWall))) << "he does not slide right when the phone turns";
    page->key("Home");  // upright again
    const RGBAImage b = standingStill(*page);
    ASSERT_TRUE(b.width > 0) << "he does not stand still again";

    // Grab his head with the mouse, lift him, tack him with the right button.
    double headX, headY;
    ASSERT_TRUE(headTop(b, headX, headY));
    const double x = headX / scale, y0 = (headY + 20) / scale;
    page->mouse("mouseMoved", x, y0);
    page->mouse("mousePressed", x, y0, "left");
    for (int step = 1; step <= 40; ++step) {
        page->mouse("mouseMoved", x, y0 - (y0 - 48) * step / 40, "left");
        page->frames(2);
    }
    page->frames(40);
    page->mouse("mousePressed", x, 48, "right");
    page->mouse("mouseReleased", x, 48, "right");
    page->mouse("mouseReleased", x, 48, "left");
    page->frames(120);
    const RGBAImage hung = page->screenshot();
    EXPECT_GT(extent(hung, tackYellow, 0, hung.height * 2 / 5).count, 40) << "the right button tacks nothing";
    EXPECT_GT(extent(hung, chalk, 0, hung.height * 2 / 5).count, 100) << "he does not hang from the tack";

    // The info corner clicked: the overlay; Escape closes it.
    page->mouse("mouseMoved", 312, 472);
    page->mouse("mousePressed", 312, 472, "left");
    page->mouse("mouseReleased", 312, 472, "left");
    ASSERT_TRUE(screensShown(*page)) << "no overlay";
    page->key("Escape");
    EXPECT_TRUE(screensShown(*page, false)) << "Escape does not close the overlay";
}

// The spring stiffness slider's track left of x is blue, right of it grey.
bool stiffnessBlueAt(const RGBAImage& img, int x)
{
    const Pixel p = at(img, x, 273);
    return p.b > p.r + 40;
}

// Local storage holds the physics settings as the desktop's file holds
// them: a slider dragged in the overlay is there after a reload. A stored
// value that is not a number gives the default, one log line, and a toy
// that runs.
TEST_P(Engines, ASliderIsKeptOverAReloadAndABadValueGivesTheDefault)
{
    auto page = browse();
    ASSERT_TRUE(page);
    page->open(server.url());
    ASSERT_TRUE(boardShown(*page));
    openSettings(*page);
    ASSERT_TRUE(stiffnessBlueAt(page->screenshot(), 150)) << "the default stiffness is past the middle";
    // The knob (at 1.0 of 0.4 to 1.1) dragged to the left end; Dismiss stores it.
    page->touch("touchStart", {{234, 273, 1}});
    for (int x = 224; x >= 30; x -= 10)
        page->touch("touchMove", {{static_cast<double>(x), 273, 1}});
    page->touch("touchEnd", {});
    tap(*page, 270, 462);
    EXPECT_EQ(page->eval("localStorage.getItem('SPR_COEFF_MULT')"), "0.40000000596046448");

    page->reload();
    ASSERT_TRUE(boardShown(*page));
    openSettings(*page);
    EXPECT_FALSE(stiffnessBlueAt(page->screenshot(), 150)) << "the stored stiffness is gone after a reload";

    page->eval("localStorage.setItem('SPR_COEFF_MULT', 'abc')");
    page->reload();
    ASSERT_TRUE(boardShown(*page)) << "a bad stored value stops the toy";
    openSettings(*page);
    EXPECT_TRUE(stiffnessBlueAt(page->screenshot(), 150)) << "a bad stored value does not give the default";
    int said = 0;
    for (const std::string& line : page->console())
        said += line == "##### Preference SPR_COEFF_MULT is not a number; using its default";
    EXPECT_EQ(said, 1) << ::testing::PrintToString(page->console());
}

// A photo taken with the phone on its side: stored 400 x 300, red left and
// blue right, tagged to be turned a quarter clockwise. Upright it is red
// above blue, and so it must be on his head, now and after a reload.
TEST_P(Engines, APhotoFromTheFilePickerGoesUprightOnHisHeadAndStays)
{
    auto page = browse();
    ASSERT_TRUE(page);
    page->open(server.url());
    ASSERT_TRUE(boardShown(*page));
    EXPECT_TRUE(putOnAFace(*page, sidewaysPhoto(), wearsUpright)) << "the face is not upright on his head";
    EXPECT_TRUE(screensShown(*page, false)) << "OK and Dismiss do not close the screens";
    page->reload();
    ASSERT_TRUE(boardShown(*page));
    EXPECT_TRUE(wearsUpright(until(*page, wearsUpright))) << "the face is gone after a reload";
}

// Pixels about his head that are neither blackboard nor chalk: a photo's.
int photoPixelsOnHead(const RGBAImage& img)
{
    const Extent c = extent(img, chalk, 0, 440);
    int n = 0;
    for (int y = std::max(0, c.top - 10); y < std::min(440, c.top + 50); ++y)
        for (int x = std::max(0, c.left); x <= std::min(img.width - 1, c.right); ++x) {
            const Pixel p = at(img, x, y);
            n += !board(p) && !chalk(p);
        }
    return n;
}

// IndexedDB whose open does not answer (a known fault of Safari's) while
// the tab's session says so, until the test lets it answer.
const char kHeldDatabase[] = R"(
if (sessionStorage.getItem("holdDatabase")) {
    const open = indexedDB.open.bind(indexedDB);
    indexedDB.open = function (name, version) {
        const request = { result: null, error: null };
        window.__answerDatabase = function () {
            const real = open(name, version);
            for (const type of ["upgradeneeded", "success", "error", "blocked"])
                real["on" + type] = e => {
                    request.result = real.result;
                    request.error = real.error;
                    if (request["on" + type])
                        request["on" + type](e);
                };
        };
        return request;
    };
}
)";

// Storage that never answers does not keep him away: after 3 s he starts
// without the stored face, one line says why, and the face is put on his
// head when the storage answers at last. A face made meanwhile is not
// replaced by the old one, and it is kept for the next visit.
TEST_P(Engines, StorageThatDoesNotAnswerDoesNotKeepHimAway)
{
    auto redBlue = [](const RGBAImage& img) { return wears(img, red, blue); };
    auto lime = [](const RGBAImage& img) { return wears(img, green); };
    auto chalkHead = [](const RGBAImage& img) { return standing(img) && !wears(img, red) && !wears(img, green); };

    auto page = browse();
    ASSERT_TRUE(page);
    page->addPreloadScript(kHeldDatabase);
    page->open(server.url());
    ASSERT_TRUE(boardShown(*page));
    ASSERT_TRUE(putOnAFace(*page, sidewaysPhoto(), redBlue)) << "no face on his head";

    page->eval("sessionStorage.setItem('holdDatabase', '1')");
    page->reload();
    ASSERT_TRUE(page->waitFor("document.getElementById('board').style.visibility == 'visible'", 8000))
        << "storage that does not answer keeps him away";
    EXPECT_TRUE(chalkHead(until(*page, chalkHead))) << "a face without its file";
    page->eval("__answerDatabase()");
    EXPECT_TRUE(redBlue(until(*page, redBlue))) << "the stored face does not come when the storage answers";
    const std::vector<std::string> lines = page->console();
    EXPECT_EQ(std::count(lines.begin(), lines.end(),
                         "Saved files: the browser's storage has not answered in 3 s; Zorbel starts without them"),
              1)
        << ::testing::PrintToString(lines);

    // A face made before the storage answers stays, and is kept.
    page->reload();
    ASSERT_TRUE(boardShown(*page));
    ASSERT_TRUE(putOnAFace(*page, photoFile("green.jpg", "-size 300x300 xc:lime"), lime)) << "no new face on his head";
    page->eval("__answerDatabase()");
    page->frames(60);
    EXPECT_TRUE(lime(until(*page, lime))) << "the old face replaced the new one";
    page->eval("sessionStorage.removeItem('holdDatabase')");
    page->reload();
    ASSERT_TRUE(boardShown(*page));
    EXPECT_TRUE(lime(until(*page, lime))) << "the face made while the storage was silent is not kept";
}

// The browser takes the page's WebGL context away and gives it back, as
// phones do in the background and on GPU resets (WEBGL_lose_context plays
// both): the board, his chalk and his photo face come back, he is where he
// was, and while the context is gone no frame counts as drawn.
TEST_P(Engines, ALostGLContextComesBack)
{
    auto page = browse();
    ASSERT_TRUE(page);
    // Listening switched off: a fake microphone's beeps would make him dance.
    page->addPreloadScript("localStorage.setItem('DISABLE_MIC', 'true');");
    page->open(server.url());
    ASSERT_TRUE(boardShown(*page));
    ASSERT_TRUE(putOnAFace(*page, sidewaysPhoto(), wearsUpright)) << "no face on his head";
    RGBAImage before = page->screenshot();
    for (int i = 0; i < 60; ++i) {  // until he stands still
        page->frames(30);
        const RGBAImage now = page->screenshot();
        const bool still = jumpBetween(before, now) <= 1;
        before = now;
        if (still)
            break;
    }

    page->eval("window.__loseContext = document.getElementById('board').getContext('webgl')"
               ".getExtension('WEBGL_lose_context'); __loseContext.loseContext()");
    page->frames(30);
    const double lost = page->eval("_zorbelFramesDrawn()").get<double>();
    page->frames(30);
    EXPECT_EQ(page->eval("_zorbelFramesDrawn()").get<double>(), lost) << "frames count while nothing can be drawn";
    page->eval("__loseContext.restoreContext()");
    ASSERT_TRUE(page->waitFor("_zorbelFramesDrawn() > " + std::to_string(lost + 10), 10000))
        << "the frames do not come back";
    const RGBAImage after = until(*page, wearsUpright, 10);
    EXPECT_TRUE(wearsUpright(after)) << "his face is not back";
    EXPECT_GT(extent(after, chalk, 0, 420).count, 300) << "no chalk figure";
    EXPECT_TRUE(board(at(after, 5, 5)) && board(at(after, 314, 300))) << "no board";
    // A figure made anew would stand far off; a busy machine may leave his
    // arms a few pixels from where they swayed.
    EXPECT_LE(jumpBetween(before, after), 12) << "he jumped";
    EXPECT_TRUE(logged(*page, "graphics: the GL context is back")) << ::testing::PrintToString(page->console());
}

// The browser's fake camera: its live preview, the shutter, and OK put its
// picture on his head.
TEST_P(Engines, TheFakeCamerasPictureGoesOnHisHead)
{
    auto page = browse();
    ASSERT_TRUE(page);
    page->open(server.url());
    ASSERT_TRUE(boardShown(*page));
    const RGBAImage chalkFace = standingStill(*page);
    ASSERT_TRUE(chalkFace.width > 0) << "he does not stand still";
    const int before = photoPixelsOnHead(chalkFace);
    openFacePicker(*page);
    tap(*page, 160, 367);  // "Take a picture with your camera"
    // The preview is live: its middle changes from one moment to the next.
    auto middle = [](const RGBAImage& img) { return cropOf(img, 20, 150, 280, 180).pixels; };
    std::vector<uint8_t> first = middle(page->screenshot());
    bool live = false;
    for (int i = 0; i < 30 && !live; ++i) {
        page->frames(15);
        live = middle(page->screenshot()) != first;
    }
    ASSERT_TRUE(live) << "no live preview";
    tap(*page, 160, 460);  // "Take Photo"
    page->frames(5);
    tap(*page, 270, 462);  // OK in the crop editor
    page->frames(3);
    tap(*page, 270, 462);  // Dismiss, on the overlay under it
    ASSERT_TRUE(screensShown(*page, false)) << "OK and Dismiss do not close the screens";
    auto wearsPhoto = [&](const RGBAImage& img) { return photoPixelsOnHead(img) > before + 300; };
    EXPECT_TRUE(wearsPhoto(until(*page, wearsPhoto))) << "the camera's picture is not on his head";
}

// The first touch starts the microphone, and a click track at 120 beats a
// minute makes the info icon flash red. Chromium's fake microphone plays
// the track; Firefox's is the default source of a private sound server that
// plays it, and so is WebKitGTK's.
TEST_P(Engines, TheMicrophoneHearsTheBeat)
{
    BrowserOptions options;
    options.microphoneFile = wavOf(clickTrack(120, 40));
    auto page = browse(options);
    ASSERT_TRUE(page);
    page->open(server.url());
    ASSERT_TRUE(boardShown(*page));
    EXPECT_FALSE(iconTurnsRed(*page, 2)) << "the icon flashes before anything is heard";
    tap(*page, 40, 120);
    EXPECT_TRUE(iconTurnsRed(*page, 15)) << "no dance to the clicks";
    EXPECT_FALSE(logged(*page, "microphone:")) << ::testing::PrintToString(page->console());
}

// The listening switch is ON: blue on its left.
bool switchOn(const RGBAImage& img)
{
    return extent(cropOf(img, 181, 143, 94, 27), blue).count > 100;
}

// The first touch of a visit opens the overlay: the microphone starts only
// as that finger lifts, after the overlay was made. The settings page's
// switch shows that it listens all the same.
TEST_P(Engines, TheSwitchShowsTheMicrophoneThatTheFirstTouchStarted)
{
    auto page = browse();
    ASSERT_TRUE(page);
    page->open(server.url());
    ASSERT_TRUE(boardShown(*page));
    openSettings(*page);
    EXPECT_TRUE(switchOn(until(*page, switchOn, 5))) << "the switch reads OFF while he listens";
}

// A browser that holds its sound back (no sound device, or a context left
// suspended until a gesture, as Safari does): after a short wait the board
// says that he cannot hear, and the next touch tries again. The context is
// held suspended here at the browser's edge until the test lets it go.
const char kHeldSound[] = R"(
window.__holdSound = true;
const RealContext = window.AudioContext || window.webkitAudioContext;
window.AudioContext = class extends RealContext {
    constructor(options) { super(options); if (window.__holdSound) this.suspend(); }
    resume() { return window.__holdSound ? Promise.resolve() : super.resume(); }
};
)";

TEST_P(Engines, SoundTheBrowserHoldsBackIsReportedAndTriedAgain)
{
    BrowserOptions options;
    options.microphoneFile = wavOf(silence(30));  // a sound device, so that the sound can run once let go
    auto page = browse(options);
    ASSERT_TRUE(page);
    page->addPreloadScript(kHeldSound);
    page->open(server.url());
    ASSERT_TRUE(boardShown(*page));
    tap(*page, 40, 120);
    EXPECT_TRUE(noticeShown(until(*page, noticeShown, 10))) << "nothing says that he cannot hear";

    const std::string line = "microphone: Zorbel cannot hear the microphone: this browser holds its sound back. "
                             "Touch the board to try again.";
    EXPECT_TRUE(logged(*page, line)) << ::testing::PrintToString(page->console());

    page->eval("window.__holdSound = false");
    tap(*page, 40, 120);
    EXPECT_TRUE(page->waitFor("Object.values(Module.zorbelMics).every(m => m.ctx.state == 'running')", 5000))
        << "the touch does not start the sound again";
    page->frames(240);
    const std::vector<std::string> lines = page->console();
    EXPECT_EQ(std::count(lines.begin(), lines.end(), line), 1) << ::testing::PrintToString(lines);
}

// Notes, for every touch event the page got, whether it was cancelled.
const char kTouchNotes[] = R"(
window.__touches = [];
for (const type of ["touchstart", "touchmove", "touchend"])
    document.addEventListener(type, e => window.__touches.push(type + (e.defaultPrevented ? " cancelled" : " let be")));
)";

// The board's touches are its own: a finger dragged over it and lifted is
// cancelled at every step (no scrolling, zooming or made-up mouse events,
// even where touch-action is not honoured), and the browser has nothing to
// say about it.
TEST_P(Engines, TouchesOnTheBoardAreTheBoards)
{
    auto page = browse();
    ASSERT_TRUE(page);
    page->addPreloadScript(kTouchNotes);
    page->open(server.url());
    ASSERT_TRUE(boardShown(*page));
    page->touch("touchStart", {{60, 100, 1}});
    for (int step = 1; step <= 10; ++step)
        page->touch("touchMove", {{60.0 + 10 * step, 100.0 + 5 * step, 1}});
    page->touch("touchEnd", {});
    page->frames(10);
    const json touches = page->eval("__touches");
    ASSERT_TRUE(touches.is_array() && touches.size() >= 3) << touches;
    EXPECT_EQ(std::count_if(touches.begin(), touches.end(),
                            [](const json& t) { return t.get<std::string>().find("cancelled") == std::string::npos; }),
              0)
        << touches;
    const std::vector<std::string> lines = page->console();
    EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                            [](const std::string& line) { return line.find("cancel") != std::string::npos; }),
              0)
        << ::testing::PrintToString(lines);
}

// Another tab in front hides the page, as a phone does with a page behind
// another app: it draws no frames, and when it shows again he goes on from
// where he stood, without a jump.
TEST_P(Engines, AHiddenPageDrawsNothingAndGoesOnWithoutAJump)
{
    auto page = browse();
    ASSERT_TRUE(page);
    page->open(server.url());
    ASSERT_TRUE(boardShown(*page));
    const RGBAImage before = standingStill(*page);
    ASSERT_TRUE(before.width > 0) << "he does not stand still";
    if (!page->coverWithAnotherTab())
        GTEST_SKIP() << "WebKitWebDriver opens no second tab: the page cannot be hidden";
    ASSERT_TRUE(page->waitFor("document.visibilityState == 'hidden'", 5000));
    const double frames = page->eval("_zorbelFramesDrawn()").get<double>();
    std::this_thread::sleep_for(std::chrono::seconds(2));
    EXPECT_EQ(page->eval("_zorbelFramesDrawn()").get<double>(), frames) << "a hidden page draws";

    page->uncover();
    ASSERT_TRUE(page->waitFor("document.visibilityState == 'visible'", 5000));
    page->frames(10);
    const RGBAImage after = page->screenshot();
    EXPECT_GT(page->eval("_zorbelFramesDrawn()").get<double>(), frames) << "no frames after coming back";
    EXPECT_TRUE(standing(after)) << "he fell";
    EXPECT_LT(jumpBetween(before, after), 6) << "he jumped while the page was hidden";
}

// The site keeps itself (the service worker's cache): with its server gone
// the page loads again, and the toy runs.
TEST_P(Engines, ThePageOpensAgainAfterItsServerHasStopped)
{
    auto page = browse();
    ASSERT_TRUE(page);
    page->open(server.url());
    ASSERT_TRUE(boardShown(*page));
    ASSERT_TRUE(page->waitFor("navigator.serviceWorker.controller != null", 30000))
        << "no service worker took the page";
    ASSERT_TRUE(page->waitFor("caches.keys().then(k => k.length == 1 && caches.open(k[0]))"
                              ".then(c => c && c.keys()).then(r => r && r.length >= 10)"))
        << "the site is not cached whole";
    server.stop();

    page->reload();
    EXPECT_TRUE(boardShown(*page)) << "the page does not open without its server";
    EXPECT_TRUE(standing(until(*page, standing))) << "the toy does not run offline";
}

// The motion events as the browser's edge gives them. WebKitGTK has no
// DeviceMotionEvent or DeviceOrientationEvent at all: there both are made
// here, as plain events carrying what iOS's carry. An iPhone's WebKit has
// requestPermission on both (here it answers "granted" and notes that it was
// asked), and GestureEvent.
const char kMotionEvents[] = R"(
window.__asked = [];
if (window.__likeAnIPhone && typeof GestureEvent == "undefined")
    window.GestureEvent = class extends UIEvent {};
for (const name of ["DeviceMotionEvent", "DeviceOrientationEvent"]) {
    if (typeof window[name] == "undefined")
        window[name] = class extends Event {
            constructor(type, init) { super(type, init); Object.assign(this, init || {}); }
        };
    if (window.__likeAnIPhone)
        window[name].requestPermission = () => { window.__asked.push(name); return Promise.resolve("granted"); };
}
)";

// How a phone held in one way reports itself: its orientation angles and
// its reading by the W3C's convention (m/s^2, away from the floor), and
// where he ends up on the board.
struct Held {
    const char* name;
    double beta, gamma, x, y, z;
    bool (*where)(const RGBAImage&);
};

// He stands up on a phone held upright, and slides downhill when it is laid
// on either side or held upside down, whichever way its browser's readings
// point: an iPhone-like page (requestPermission present, every axis
// reversed, as iOS's WebKit builds the reading from CoreMotion's gravity),
// and an Android-like page with the W3C's readings. The readings and the
// angles go in as the page's own devicemotion and deviceorientation events.
TEST_P(Engines, HeStandsAndSlidesDownhillWhicheverWayTheReadingsPoint)
{
    const double G = 9.80665;
    const Held poses[] = {{"upright", 90, 0, 0, G, 0, standing},
                          {"left edge down", 0, -90, G, 0, 0, onLeftWall},
                          {"right edge down", 0, 90, -G, 0, 0, onRightWall},
                          {"upside down", -90, 0, 0, -G, 0, onCeiling},
                          {"upright again", 90, 0, 0, G, 0, standing}};
    for (const bool iPhone : {true, false}) {
        SCOPED_TRACE(iPhone ? "iPhone-like" : "Android-like");
        const int sign = iPhone ? -1 : 1;
        auto page = browse();
        ASSERT_TRUE(page);
        // Listening switched off: a fake microphone's beeps would make him dance.
        page->addPreloadScript(std::string(iPhone ? "window.__likeAnIPhone = true;\n" : "") +
                               "localStorage.setItem('DISABLE_MIC', 'true');\n" + kMotionEvents);
        page->open(server.url());
        ASSERT_TRUE(boardShown(*page));
        auto motion = [&](double x, double y, double z) {
            page->eval("window.dispatchEvent(new DeviceMotionEvent('devicemotion', { accelerationIncludingGravity: "
                       "{ x: " +
                       std::to_string(sign * x) + ", y: " + std::to_string(sign * y) +
                       ", z: " + std::to_string(sign * z) + " } }))");
        };
        // The first touch asks for motion and orientation at once (one
        // prompt on an iPhone), and motion alone, before any angle, is taken
        // the right way up.
        tap(*page, 40, 120);
        if (iPhone) {
            EXPECT_EQ(page->eval("__asked.sort().join()"), "DeviceMotionEvent,DeviceOrientationEvent");
        }
        motion(0, G, 0);
        EXPECT_TRUE(standing(until(*page, standing))) << "upright, before any angle, he does not stand";
        auto hold = [&](const Held& pose) {
            for (int i = 0; i < 5; ++i) {
                page->eval("window.dispatchEvent(new DeviceOrientationEvent('deviceorientation', { alpha: 0, beta: " +
                           std::to_string(pose.beta) + ", gamma: " + std::to_string(pose.gamma) + " }))");
                motion(pose.x, pose.y, pose.z);
            }
        };
        for (const Held& pose : poses) {
            SCOPED_TRACE(pose.name);
            hold(pose);
            RGBAImage shot = until(*page, pose.where);
            if (!pose.where(shot)) {
                // Fallen badly he may lie a long while, as on a phone, where
                // a user then shakes it: a shake, and held as before.
                const Extent c = extent(shot, chalk);
                std::printf("%s: not there after 30 s (chalk %d..%d x %d..%d); shaken\n", pose.name, c.left, c.right,
                            c.top, c.bottom);
                for (const double x : {G, -G, G, -G}) {
                    motion(x, pose.y, pose.z);
                    page->frames(10);
                }
                hold(pose);
                shot = until(*page, pose.where);
            }
            EXPECT_TRUE(pose.where(shot)) << "he is not where the floor is";
        }
    }
}

// Notes every text the page draws on a canvas: what the screens say, as a
// reader of the screen would see it.
const char kTextNotes[] = R"(
window.__drawn = [];
const fillText = CanvasRenderingContext2D.prototype.fillText;
CanvasRenderingContext2D.prototype.fillText = function (text, x, y) {
    if (window.__drawn.length < 5000)
        window.__drawn.push(String(text));
    return fillText.apply(this, arguments);
};
)";

// The longest texts of the screens fit their frames in every engine: the
// info page's last words, the listening switch's label and the face
// picker's buttons are drawn whole, and nothing is cut off with an ellipsis.
TEST_P(Engines, TheScreensTextsFitTheirFrames)
{
    auto page = browse();
    ASSERT_TRUE(page);
    page->addPreloadScript(kTextNotes);
    page->open(server.url());
    ASSERT_TRUE(boardShown(*page));
    auto drawn = [&] {
        const json texts = page->eval("__drawn.splice(0).join('\\n')");
        return texts.is_string() ? texts.get<std::string>() : std::string();
    };
    // A text over several lines is drawn a line at a time.
    auto expectWhole = [](const std::string& texts, const std::vector<std::string>& ends) {
        std::string flowing = texts;
        std::replace(flowing.begin(), flowing.end(), '\n', ' ');
        for (const std::string& end : ends)
            EXPECT_NE(flowing.find(end), std::string::npos) << "\"" << end << "\" is not drawn whole:\n" << texts;
        EXPECT_EQ(texts.find("\xE2\x80\xA6"), std::string::npos) << "a text is cut off:\n" << texts;
    };
    EXPECT_EQ(page->eval("document.fonts.check(\"12px 'Zorbel Sans'\") && document.fonts.check(\"bold 12px 'Zorbel "
                         "Sans'\")"),
              true)
        << "the page's font is not loaded";
    tap(*page, 312, 472);  // the info page
    ASSERT_TRUE(screensShown(*page));
    page->frames(3);
    expectWhole(drawn(), {"so crank up the tunes!", "Settings", "Dismiss"});
    tap(*page, 50, 462);  // Settings
    page->frames(3);
    expectWhole(drawn(), {"Dance to what the microphone hears", "Change Zorbel's face", "Reset physics"});
    tap(*page, 160, 85);  // the face picker
    page->frames(3);
    expectWhole(drawn(), {"Use a photo in your album", "Take a picture with your camera", "(with the front camera)"});
}

// In a viewport the board fits at no round scale, each canvas lies on whole
// device pixels and as many of them as it has: shown, not resampled.
TEST_P(Engines, TheBoardIsShownOneDevicePixelForOne)
{
    BrowserOptions options;
    options.width = 500;
    options.height = 653;
    options.deviceScaleFactor = 2;
    auto page = browse(options);
    ASSERT_TRUE(page);
    page->open(server.url());
    ASSERT_TRUE(boardShown(*page));
    const json placed = page->eval(R"(["board", "screens"].map(id => {
        const c = document.getElementById(id), r = c.getBoundingClientRect(), d = devicePixelRatio;
        const whole = v => Math.abs(v - Math.round(v)) < 0.05;
        return d == 2 && whole(r.left * d) && whole(r.top * d) && Math.abs(r.width * d - c.width) < 0.05 &&
            Math.abs(r.height * d - c.height) < 0.05 ? "" : `${id}: ${c.width} x ${c.height} pixels at ${r.left},${r.top} ` +
            `in ${r.width} x ${r.height} CSS pixels, ${d} a pixel.`;
    }).filter(Boolean).join(" "))");
    EXPECT_EQ(placed, json(""));
}

// Every committed trace, printed by the page's WebAssembly: V8,
// SpiderMonkey and JavaScriptCore give the same bytes as the desktop.
TEST_P(Engines, ScriptsInThePagePrintEveryCommittedTrace)
{
    auto page = browse();
    ASSERT_TRUE(page);
    for (const char* name : {"standup", "tilt-and-hands", "music", "crop"}) {
        SCOPED_TRACE(name);
        const std::string dir = std::string(ZORBEL_TRACES) + "/" + name;
        const std::string trace = runInPage(*page, server, readFile(dir + ".script"));
        const std::string expected = readFile(dir + ".trace");
        if (trace != expected) {
            size_t line = 1, at = 0;
            while (at < trace.size() && at < expected.size() && trace[at] == expected[at])
                line += trace[at++] == '\n';
            ADD_FAILURE() << "differs from " << dir << ".trace at line " << line;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(, Engines, ::testing::Values(Engine::Chromium, Engine::Firefox, Engine::WebKit),
                         [](const ::testing::TestParamInfo<Engine>& info) { return engineName(info.param); });

}  // namespace
}  // namespace zorbel::test
