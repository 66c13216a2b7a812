// The screens over the board in headless Chromium, with its fake devices:
// the microphone hearing a click track, a photo chosen in the file picker,
// the fake camera's picture, refusals, a photo too large or not a photo, and
// a browser whose storage is full. Every touch goes in as the browser's own
// input event.
#include "page.h"
#include "recordings.h"
#include "testHome.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <thread>

namespace zorbel::test {
namespace {

bool red(Pixel p)
{
    return p.r > 120 && p.r > p.g + 60 && p.r > p.b + 60;
}

bool blue(Pixel p)
{
    return p.b > 120 && p.b > p.r + 60 && p.b > p.g + 40;
}

bool green(Pixel p)
{
    return p.g > 100 && p.g > p.r + 50 && p.g > p.b + 50;
}

// The info icon, in the lower right corner, drawn red: it flashes on a beat.
bool iconRed(const RGBAImage& img)
{
    for (int y = 446; y < 480; ++y)
        for (int x = 282; x < 320; ++x)
            if (red(at(img, x, y)))
                return true;
    return false;
}

// Whether the icon flashes red within `seconds`.
bool iconTurnsRed(Tab& tab, int seconds)
{
    return iconRed(until(tab, iconRed, seconds));
}

// A notice: the dark box near the top with white words in it.
bool noticeShown(const RGBAImage& img)
{
    int words = 0;
    for (int y = 48; y < 98; ++y)
        for (int x = 34; x < 286; ++x) {
            const Pixel p = at(img, x, y);
            words += p.r > 200 && p.g > 200 && p.b > 200;
        }
    const Pixel corner = at(img, 23, 43);
    return words > 40 && corner.r + corner.g + corner.b < 150;
}

// Whether the page's log has a line starting with `start`.
bool logged(Tab& tab, const std::string& start)
{
    for (const std::string& line : tab.console())
        if (line.compare(0, start.size(), start) == 0)
            return true;
    return false;
}

// A sound file Chromium's fake microphone plays: raw 8000 Hz samples made WAV.
std::string wavOf(const std::string& raw)
{
    const std::string wav = raw + ".wav";
    const std::string cmd = SOX " -r 8000 -c 1 -b 16 -e signed-integer -t raw " + raw + " -r 48000 " + wav;
    EXPECT_EQ(std::system(cmd.c_str()), 0) << cmd;
    return wav;
}

std::string silence(int seconds)
{
    const std::string raw = freshDir("silence") + "/silence.raw";
    const std::string cmd =
        SOX " -n -r 8000 -c 1 -b 16 -e signed-integer -t raw " + raw + " trim 0 " + std::to_string(seconds);
    EXPECT_EQ(std::system(cmd.c_str()), 0) << cmd;
    return raw;
}

// The flags of a browser whose microphone and camera are the fake ones,
// allowed without asking.
std::vector<std::string> fakeDevices(const std::string& flag = "")
{
    std::vector<std::string> flags = {"--use-fake-ui-for-media-stream", "--use-fake-device-for-media-stream",
                                      "--autoplay-policy=no-user-gesture-required"};
    if (!flag.empty())
        flags.push_back(flag);
    return flags;
}

class ScreensTest : public ::testing::Test {
protected:
    SiteServer server{webBuild() + "/site"};
};

// The first tap starts the microphone. A click track at 120 beats a minute
// makes the info icon flash red; a silent room does not.
TEST_F(ScreensTest, TheMicrophoneHearsTheBeatAndASilentRoomDoesNot)
{
    for (const bool music : {true, false}) {
        SCOPED_TRACE(music ? "clicks" : "silence");
        const std::string sound = wavOf(music ? clickTrack(120, 30) : silence(10));
        Chromium browser(fakeDevices("--use-file-for-fake-audio-capture=" + sound));
        Tab tab(browser, {});
        tab.open(server.url());
        ASSERT_TRUE(boardShown(tab));
        EXPECT_FALSE(iconTurnsRed(tab, 2)) << "the icon flashes before anything is heard";
        tap(tab, 40, 120);
        if (music)
            EXPECT_TRUE(iconTurnsRed(tab, 15)) << "no dance to the clicks";
        else
            EXPECT_FALSE(iconTurnsRed(tab, 8)) << "he dances in a silent room";
        EXPECT_FALSE(logged(tab, "microphone:")) << ::testing::PrintToString(tab.console());
    }
}

// The microphone and the camera refused: a notice says so about the
// microphone and the toy goes on; the camera screen gives the desktop's
// text, and a tap goes back to the face picker.
TEST_F(ScreensTest, RefusedMicrophoneAndCameraEachSayWhy)
{
    Chromium browser({"--use-fake-device-for-media-stream"});
    Tab tab(browser, {});
    const std::string origin = server.url().substr(0, server.url().size() - 1);
    for (const char* name : {"microphone", "camera"})
        browser.send("Browser.setPermission",
                     {{"permission", {{"name", name}}}, {"setting", "denied"}, {"origin", origin}});
    tab.open(server.url());
    ASSERT_TRUE(boardShown(tab));
    tap(tab, 40, 120);
    EXPECT_TRUE(noticeShown(until(tab, noticeShown, 10))) << "no notice on the board";
    EXPECT_TRUE(logged(tab, "microphone: The microphone is not allowed here"))
        << ::testing::PrintToString(tab.console());
    EXPECT_TRUE(standing(until(tab, standing))) << "the toy stopped";

    openFacePicker(tab);
    tap(tab, 160, 367);  // "Take a picture with your camera"
    // The camera screen: black, its words in the middle.
    auto saysCannotOpen = [](const RGBAImage& img) {
        const Extent words = extent(img, chalk, 180, 260), all = extent(img, chalk, 0, 440);
        const Pixel corner = at(img, 10, 10);
        return words.count > 40 && words.count == all.count && corner.r + corner.g + corner.b < 30;
    };
    EXPECT_TRUE(saysCannotOpen(until(tab, saysCannotOpen, 10))) << "no message on the camera screen";
    EXPECT_TRUE(logged(tab, "Camera: NotAllowedError")) << ::testing::PrintToString(tab.console());
    tap(tab, 160, 300);
    // Back on the face picker: its pale page over the board.
    const RGBAImage back = tab.screenshot();
    const Pixel page = at(back, 160, 140);
    EXPECT_GT(page.r + page.g + page.b, 400) << "a tap does not go back to the face picker";
}

// Chooses `file` in the browser's file picker, which a tap at (x, y) opens.
void chooseFile(Chromium& browser, Tab& tab, double x, double y, const std::string& file)
{
    browser.takeEvents("Page.fileChooserOpened", tab.session());
    tap(tab, x, y);
    json opened;
    ASSERT_TRUE(browser.waitEvent("Page.fileChooserOpened", tab.session(), 10000, &opened)) << "no file picker";
    tab.send("DOM.setFileInputFiles", {{"files", {file}}, {"backendNodeId", opened["backendNodeId"]}});
}

// He wears a face of these colours: both show on the board above the icons,
// `top` above `bottom` when both are given.
bool wears(const RGBAImage& img, bool (*top)(Pixel), bool (*bottom)(Pixel) = nullptr)
{
    const Extent a = extent(img, top, 0, 440);
    if (!bottom)
        return a.count > 40;
    const Extent b = extent(img, bottom, 0, 440);
    return a.count > 40 && b.count > 40 && a.meanY() + 4 < b.meanY();
}

// A photo taken with the phone on its side: stored 400 x 300, red left and
// blue right, tagged to be turned a quarter clockwise. Upright it is red
// above blue, and so it must be on his head, now and after a reload. Then a
// browser whose storage is full: the new face shows, a notice says it will
// not be kept, and the next visit still has the face before it.
TEST_F(ScreensTest, APhotoFromTheFilePickerGoesUprightOnHisHeadAndStays)
{
    const std::string dir = freshDir("photos");
    const std::string turned = dir + "/turned.jpg", noisy = dir + "/green.jpg";
    for (auto [path, recipe] : {std::pair{turned, "-size 200x300 xc:red -size 200x300 xc:blue +append"},
                                {noisy, "-size 300x300 xc:lime -attenuate 0.4 +noise Uniform"}}) {
        const std::string cmd = IM_CONVERT " " + std::string(recipe) + " " + path;
        ASSERT_EQ(std::system(cmd.c_str()), 0) << cmd;
    }
    tagJpegOrientation(turned, 6);

    const std::string profile = freshDir("profile");
    auto upright = [](const RGBAImage& img) { return wears(img, red, blue) && !wears(img, blue, red); };
    {
        Chromium browser(fakeDevices(), profile);  // a microphone, so that no notice says there is none
        Tab tab(browser, {});
        tab.send("Page.setInterceptFileChooserDialog", {{"enabled", true}});
        tab.open(server.url());
        ASSERT_TRUE(boardShown(tab));
        openFacePicker(tab);
        chooseFile(browser, tab, 160, 312, turned);  // "Use a photo in your album"
        // The crop editor shows the photo; OK puts it on his head.
        EXPECT_TRUE(wears(until(
                              tab, [](const RGBAImage& img) { return wears(img, red, blue); }, 10),
                          red, blue))
            << "the crop editor does not show the photo upright";
        tap(tab, 270, 462);
        tab.frames(3);
        tap(tab, 270, 462);  // Dismiss, on the overlay under the face editor
        ASSERT_TRUE(screensShown(tab, false)) << "OK and Dismiss do not close the screens";
        EXPECT_TRUE(upright(until(tab, upright))) << "the face is not upright on his head";
        tab.reload();
        ASSERT_TRUE(boardShown(tab));
        EXPECT_TRUE(upright(until(tab, upright))) << "the face is gone after a reload";
    }

    // The next visit, the browser's storage full (its quota smaller than what
    // the site holds already): the new face shows, the notice says it will
    // not be kept, and a reload brings back the face before it.
    Chromium browser(fakeDevices(), profile);
    Tab tab(browser, {});
    tab.send("Storage.overrideQuotaForOrigin",
             {{"origin", server.url().substr(0, server.url().size() - 1)}, {"quotaSize", 1000}});
    tab.send("Page.setInterceptFileChooserDialog", {{"enabled", true}});
    tab.open(server.url());
    ASSERT_TRUE(boardShown(tab));
    EXPECT_TRUE(upright(until(tab, upright))) << "the face is gone on the next visit";
    openFacePicker(tab);
    chooseFile(browser, tab, 160, 312, noisy);
    until(
        tab, [](const RGBAImage& img) { return wears(img, green); }, 10);
    tap(tab, 270, 462);
    EXPECT_TRUE(noticeShown(until(tab, noticeShown, 10))) << "no notice of the face not kept";
    tap(tab, 270, 462);
    EXPECT_TRUE(logged(tab, "Zorbel's face cannot be kept for your next visit: this browser's storage is full"))
        << ::testing::PrintToString(tab.console());
    EXPECT_TRUE(wears(until(tab, [](const RGBAImage& img) { return wears(img, green); }), green));
    tab.reload();
    ASSERT_TRUE(boardShown(tab));
    EXPECT_TRUE(upright(until(tab, upright))) << "the face stored before is lost";
}

// A file that is not a picture, and a photo of 100 megapixels: each says so
// in a notice and the face picker stays. Without a camera the camera button
// does nothing.
TEST_F(ScreensTest, APhotoThatCannotBeUsedSaysWhy)
{
    const std::string dir = freshDir("bad");
    const std::string text = dir + "/notes.jpg", huge = dir + "/huge.jpg";
    writeFile(text, "a shopping list, not a picture\n");
    const std::string small = dir + "/small.jpg";
    const std::string cmd = IM_CONVERT " -size 64x64 xc:gray +noise Random " + small;
    ASSERT_EQ(std::system(cmd.c_str()), 0) << cmd;
    writeFile(huge, claimJpegSize(readFile(small), 10000, 10000));

    Chromium browser;
    Tab tab(browser, {});
    tab.send("Page.setInterceptFileChooserDialog", {{"enabled", true}});
    tab.open(server.url());
    ASSERT_TRUE(boardShown(tab));
    openFacePicker(tab);
    for (auto [file, says] :
         {std::pair{text, "photo notes.jpg: not a picture"}, {huge, "photo huge.jpg: 10000 x 10000 pixels"}}) {
        SCOPED_TRACE(file);
        chooseFile(browser, tab, 160, 312, file);
        EXPECT_TRUE(noticeShown(until(tab, noticeShown, 10))) << "no notice";
        EXPECT_TRUE(logged(tab, says)) << ::testing::PrintToString(tab.console());
        EXPECT_FALSE(noticeShown(until(
            tab, [](const RGBAImage& img) { return !noticeShown(img); }, 10)))
            << "the notice stays";
    }
    const RGBAImage picker = tab.screenshot();
    tap(tab, 160, 367);  // no camera here
    tab.frames(10);
    const RGBAImage after = tab.screenshot();
    EXPECT_EQ(extent(after, chalk, 0, 440).count, extent(picker, chalk, 0, 440).count)
        << "the face picker did not stay as it was";
}

// The fake camera's picture, red left and blue right, goes through the
// shutter, two fingers in the crop editor and OK onto his head, mirrored as
// the preview showed it.
TEST_F(ScreensTest, TheCamerasPictureGoesOnHisHead)
{
    // Two seconds of 640 x 480 frames in YUV 4:2:0: red left, blue right.
    const std::string video = freshDir("camera") + "/halves.y4m";
    std::string y4m = "YUV4MPEG2 W640 H480 F30:1 Ip A1:1 C420jpeg\n";
    std::string frame = "FRAME\n";
    for (int plane = 0; plane < 3; ++plane) {
        const int w = plane ? 320 : 640, h = plane ? 240 : 480;
        const unsigned char left[] = {81, 90, 240}, right[] = {41, 240, 110};  // red, blue
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                frame += static_cast<char>(x < w / 2 ? left[plane] : right[plane]);
    }
    for (int i = 0; i < 60; ++i)
        y4m += frame;
    writeFile(video, y4m);

    Chromium browser(fakeDevices("--use-file-for-fake-video-capture=" + video));
    Tab tab(browser, {});
    tab.open(server.url());
    ASSERT_TRUE(boardShown(tab));
    openFacePicker(tab);
    tap(tab, 160, 367);  // "Take a picture with your camera"
    // The preview, mirrored: blue left, red right.
    auto preview = [](const RGBAImage& img) {
        return extent(img, blue, 0, 400).right < 170 && extent(img, red, 0, 400).left > 150 &&
               extent(img, red, 0, 400).count > 10000;
    };
    ASSERT_TRUE(preview(until(tab, preview, 15))) << "no mirrored preview";
    tap(tab, 160, 460);  // "Take Photo"
    tab.frames(5);
    // Two fingers in the crop editor: together they move the picture right,
    // the blue half under the face's centre; spread, they scale it about
    // that centre until the blue fills the face.
    tab.touch("touchStart", {{110, 150, 1}, {130, 150, 2}});
    for (int step = 1; step <= 10; ++step)
        tab.touch("touchMove", {{110.0 + 6 * step, 150, 1}, {130.0 + 6 * step, 150, 2}});
    for (int step = 1; step <= 10; ++step)
        tab.touch("touchMove", {{170.0 - 5 * step, 150, 1}, {190.0 + 5 * step, 150, 2}});
    tab.touch("touchEnd", {});
    tab.frames(3);
    tap(tab, 270, 462);  // OK in the crop editor
    tab.frames(3);
    tap(tab, 270, 462);  // Dismiss, on the overlay under it
    ASSERT_TRUE(screensShown(tab, false)) << "OK and Dismiss do not close the screens";
    auto blueFace = [](const RGBAImage& img) { return wears(img, blue) && extent(img, red, 0, 440).count < 10; };
    EXPECT_TRUE(blueFace(until(tab, blueFace))) << "the picture is not on his head, or not as the preview showed it";
}

}  // namespace
}  // namespace zorbel::test
