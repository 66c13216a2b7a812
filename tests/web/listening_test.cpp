// The page's microphone in headless Chromium, whose fake microphone plays a
// recording: he hears the beats the desktop hears, at the same moments, and
// the microphone follows the page's life.
#include "chromium.h"
#include "page.h"
#include "recordings.h"
#include "testHome.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <sstream>

namespace zorbel::test {
namespace {

// Watches every frame the page draws: after the page's own work in an
// animation frame, whether the info icon on the board is red, and the
// microphone's sound clock (its AudioContext's time) at that moment.
const char kFlashWatch[] = R"(
window.__flashes = [];
const requestFrame = window.requestAnimationFrame.bind(window);
const pixels = new Uint8Array(38 * 34 * 4);
window.requestAnimationFrame = function (callback) {
    return requestFrame(function (time) {
        callback(time);
        const canvas = document.getElementById("board");
        const gl = canvas && canvas.getContext("webgl");
        const mics = window.Module && Module.zorbelMics ? Object.values(Module.zorbelMics) : [];
        if (!gl || !mics.length || !mics[0].ctx || mics[0].ctx.state != "running")
            return;
        const bound = gl.getParameter(gl.FRAMEBUFFER_BINDING);
        gl.bindFramebuffer(gl.FRAMEBUFFER, null);
        const s = canvas.width / 320;
        gl.readPixels(Math.round(282 * s), 0, 38, 34, gl.RGBA, gl.UNSIGNED_BYTE, pixels);
        gl.bindFramebuffer(gl.FRAMEBUFFER, bound);
        let red = false;
        for (let i = 0; i < pixels.length && !red; i += 4)
            red = pixels[i] > 120 && pixels[i] > pixels[i + 1] + 60 && pixels[i] > pixels[i + 2] + 60;
        if (window.__flashes.length < 100000)
            window.__flashes.push([time / 1000, red ? 1 : 0]);
    });
};
)";

// The moments (seconds of the sound clock) at which the icon turned red.
std::vector<double> pageBeats(Page& page)
{
    const json flashes = page.eval("__flashes");
    std::vector<double> beats;
    int before = 1;
    for (const json& f : flashes) {
        const int red = f[1].get<int>();
        if (red && !before)
            beats.push_back(f[0].get<double>());
        before = red;
    }
    return beats;
}

// How far a flash may land from its beat: two frames. The page hears its
// microphone in 16 ms blocks that reach the main thread between frames, and
// on a busy machine a block waits a frame longer; 33 ms is still well inside
// what an eye takes for "on the beat".
constexpr double kSlack = 2.0 / 60;

// The page's time of a moment of the recording: a constant delay (the
// sound's way from the fake microphone to the meter), and the two clocks
// running apart a little (the fake microphone's sound clock is not the
// page's; some hundredths of a percent).
struct Timing {
    double delay = 0, drift = 0;
    double page(double recording) const { return recording * (1 + drift) + delay; }
};

// Of the beats in `a`, those within kSlack of one in `b`, the times of `a`
// mapped by `map` to those of `b`.
template <typename Map> int matched(const std::vector<double>& a, const std::vector<double>& b, Map map)
{
    int n = 0;
    for (double t : a) {
        const auto near = std::lower_bound(b.begin(), b.end(), map(t) - kSlack);
        n += near != b.end() && *near <= map(t) + kSlack;
    }
    return n;
}

// Forty seconds of music, heard through the page's microphone and through
// the desktop's level meter: the same beats, each within two frames, after
// one delay and a drift of the clocks.
TEST(Listening, ThePageHearsTheBeatsTheDesktopHears)
{
    const std::string raw = musicTrack(6);
    const std::vector<double> desktop = simulatorBeats(raw, 60 * 38);
    ASSERT_GT(desktop.size(), 60u) << "the desktop hears no music";

    SiteServer server(webBuild() + "/site");
    BrowserOptions options;
    options.microphoneFile = wavOf(raw);
    ChromiumPage page(fakeMediaFlags(options), options);
    page.addPreloadScript(kFlashWatch);
    page.open(server.url());
    ASSERT_TRUE(boardShown(page));
    tap(page, 40, 120);  // the first touch starts the microphone
    ASSERT_TRUE(page.waitFor("__flashes.length > 0", 10000)) << "the microphone does not start";
    page.frames(60 * 30);
    // From the first frame the microphone ran in: the fake one started
    // playing the recording when it opened, a moment before.
    std::vector<double> heard = pageBeats(page);
    const double start = page.eval("__flashes[0][0]").get<double>();
    for (double& t : heard)
        t -= start;
    Timing timing;
    int best = -1;
    for (double drift = -0.002; drift <= 0.002; drift += 0.0001)
        for (double delay = -1.0; delay <= 1.0; delay += 0.001) {
            const Timing t{delay, drift};
            const int n = matched(heard, desktop, [&](double p) { return (p - t.delay) / (1 + t.drift); });
            if (n > best) {
                best = n;
                timing = t;
            }
        }
    std::vector<double> expected;  // the desktop's beats over the same stretch of the recording
    for (double t : desktop)
        if (timing.page(t) > 1.0 && timing.page(t) < heard.back())
            expected.push_back(t);
    const int found = matched(expected, heard, [&](double t) { return timing.page(t); });
    std::printf("beats: %zu in the page, %zu on the desktop over the same 30 s; %d and %d of them within two frames "
                "of the other's, %.0f ms later, clocks %.2f%% apart\n",
                heard.size(), expected.size(), best, found, 1000 * timing.delay, 100 * timing.drift);
    EXPECT_GE(best, 0.9 * heard.size()) << "the page hears beats the desktop does not";
    EXPECT_GE(found, 0.9 * expected.size()) << "the page misses beats the desktop hears";
}

// Notes every stream the page is handed, to see whether it lets them go.
const char kStreamNotes[] = R"(
window.__streams = [];
const getUserMedia = navigator.mediaDevices.getUserMedia.bind(navigator.mediaDevices);
navigator.mediaDevices.getUserMedia = constraints => getUserMedia(constraints).then(stream => {
    window.__streams.push(stream);
    return stream;
});
)";

// A hidden page lets the microphone go (the phone's indicator goes off);
// shown again, it takes it without asking and he dances again. A context
// the browser suspends comes back, at the latest at the next touch.
TEST(Listening, TheMicrophoneFollowsThePagesLife)
{
    SiteServer server(webBuild() + "/site");
    BrowserOptions options;
    options.microphoneFile = wavOf(clickTrack(120, 60));
    ChromiumPage page(fakeMediaFlags(options), options);
    page.addPreloadScript(kStreamNotes);
    page.open(server.url());
    ASSERT_TRUE(boardShown(page));
    tap(page, 40, 120);
    ASSERT_TRUE(iconTurnsRed(page, 15)) << "no dance to the clicks";

    const std::string allEnded = "__streams.every(s => s.getTracks().every(t => t.readyState == 'ended'))";
    page.coverWithAnotherTab();
    ASSERT_TRUE(page.waitFor("document.visibilityState == 'hidden'", 5000));
    EXPECT_TRUE(page.waitFor(allEnded, 5000)) << "the hidden page keeps the microphone";

    page.uncover();
    ASSERT_TRUE(page.waitFor("document.visibilityState == 'visible'", 5000));
    EXPECT_TRUE(page.waitFor("!(" + allEnded + ")", 5000)) << "the microphone is not taken again";
    EXPECT_TRUE(iconTurnsRed(page, 15)) << "no dance after the page shows again";

    page.eval("Object.values(Module.zorbelMics)[0].ctx.suspend()");
    tap(page, 40, 120);
    EXPECT_TRUE(page.waitFor("Object.values(Module.zorbelMics)[0].ctx.state == 'running'", 5000))
        << "the suspended sound does not come back";
    EXPECT_TRUE(iconTurnsRed(page, 15)) << "no dance after the sound was suspended";
}

}  // namespace
}  // namespace zorbel::test
