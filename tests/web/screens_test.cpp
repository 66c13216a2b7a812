// The screens over the board in headless Chromium, where only its
// DevTools protocol reaches: a silent room, refused permissions, a browser
// whose storage is full, photos that cannot be used, and the fake camera's
// picture as a file of known colours. Every touch goes in as the browser's
// own input event.
#include "chromium.h"
#include "page.h"
#include "recordings.h"
#include "testHome.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <thread>

namespace zorbel::test {
namespace {

class ScreensTest : public ::testing::Test {
protected:
    SiteServer server{webBuild() + "/site"};
};

// The microphone and the camera refused: a notice says so about the
// microphone and the toy goes on; the camera screen gives the desktop's
// text, and a tap goes back to the face picker.
TEST_F(ScreensTest, RefusedMicrophoneAndCameraEachSayWhy)
{
    ChromiumPage page({"--use-fake-device-for-media-stream"}, {});
    for (const char* name : {"microphone", "camera"})
        page.browser().send("Browser.setPermission",
                            {{"permission", {{"name", name}}}, {"setting", "denied"}, {"origin", server.origin()}});
    page.open(server.url());
    ASSERT_TRUE(boardShown(page));
    tap(page, 40, 120);
    EXPECT_TRUE(noticeShown(until(page, noticeShown, 10))) << "no notice on the board";
    EXPECT_TRUE(logged(page, "microphone: The microphone is not allowed here. Allow it in the site's settings"))
        << ::testing::PrintToString(page.console());
    EXPECT_TRUE(standing(until(page, standing))) << "the toy stopped";

    openFacePicker(page);
    tap(page, 160, 367);  // "Take a picture with your camera"
    // The camera screen: black, its words in the middle.
    auto saysCannotOpen = [](const RGBAImage& img) {
        const Extent words = extent(img, chalk, 180, 260), all = extent(img, chalk, 0, 440);
        const Pixel corner = at(img, 10, 10);
        return words.count > 40 && words.count == all.count && corner.r + corner.g + corner.b < 30;
    };
    EXPECT_TRUE(saysCannotOpen(until(page, saysCannotOpen, 10))) << "no message on the camera screen";
    EXPECT_TRUE(logged(page, "Camera: NotAllowedError")) << ::testing::PrintToString(page.console());
    tap(page, 160, 300);
    // Back on the face picker: its pale page over the board.
    const RGBAImage back = page.screenshot();
    const Pixel pale = at(back, 160, 140);
    EXPECT_GT(pale.r + pale.g + pale.b, 400) << "a tap does not go back to the face picker";
}

// The first touch of a visit lifts him by the head, and the microphone it
// starts is refused: the notice that says so lies at the other edge of the
// board, off his head, and says what to do.
TEST_F(ScreensTest, ANoticeKeepsOffHim)
{
    ChromiumPage page({"--use-fake-device-for-media-stream"}, {});
    page.browser().send("Browser.setPermission",
                        {{"permission", {{"name", "microphone"}}}, {"setting", "denied"}, {"origin", server.origin()}});
    page.open(server.url());
    ASSERT_TRUE(boardShown(page));
    double x, y;
    ASSERT_TRUE(headTop(standingStill(page), x, y)) << "he does not stand still";
    // One finger lifts him by the head to the top of the board and holds
    // him there; a second one taps the board, which starts the microphone.
    liftWithAFinger(page, x, y + 12, 30);
    page.frames(30);
    const RGBAImage held = page.screenshot();
    page.touch("touchStart", {{x, 30, 1}, {295, 400, 2}});  // out of his reach
    page.touch("touchEnd", {{x, 30, 1}});
    const RGBAImage noticed = until(page, noticeShown, 10);

    EXPECT_TRUE(noticeIn(noticed, 395)) << "no notice at the bottom edge";
    EXPECT_FALSE(noticeIn(noticed, 6)) << "the notice is over his head";
    // He hangs from the finger at the top, all of him in sight.
    const Extent before = extent(held, chalk, 0, 390), after = extent(noticed, chalk, 0, 390);
    EXPECT_LT(before.top, 20) << "his head is not at the top";
    EXPECT_LT(after.top, 20) << "his head is hidden";
    EXPECT_NEAR(after.count, before.count, before.count / 5) << "the notice hides him";
    EXPECT_TRUE(logged(page, "microphone: The microphone is not allowed here. Allow it in the site's settings"))
        << ::testing::PrintToString(page.console());
    page.touch("touchEnd", {});
}

// A browser whose storage is full (its quota smaller than what the site
// holds already): the new face shows, a notice says it will not be kept,
// and the next visit has the face before it.
TEST_F(ScreensTest, WhenStorageIsFullTheFaceBeforeIsKept)
{
    const std::string noisy = photoFile("green.jpg", "-size 300x300 xc:lime -attenuate 0.4 +noise Uniform");
    const std::string profile = freshDir("profile");
    BrowserOptions options;  // a microphone, so that no notice says there is none
    {
        ChromiumPage page(fakeMediaFlags(options), options, profile);
        page.open(server.url());
        ASSERT_TRUE(boardShown(page));
        ASSERT_TRUE(putOnAFace(page, sidewaysPhoto(), wearsUpright)) << "the face is not upright on his head";
    }

    ChromiumPage page(fakeMediaFlags(options), options, profile);
    page.tab().send("Storage.overrideQuotaForOrigin", {{"origin", server.origin()}, {"quotaSize", 1000}});
    page.open(server.url());
    ASSERT_TRUE(boardShown(page));
    EXPECT_TRUE(wearsUpright(until(page, wearsUpright))) << "the face is gone on the next visit";
    openFacePicker(page);
    page.chooseFile(160, 312, noisy);
    until(
        page, [](const RGBAImage& img) { return wears(img, green); }, 10);
    tap(page, 270, 462);
    EXPECT_TRUE(noticeShown(until(page, noticeShown, 10))) << "no notice of the face not kept";
    tap(page, 270, 462);
    EXPECT_TRUE(logged(page, "Zorbel's face cannot be kept for your next visit: this browser's storage is full"))
        << ::testing::PrintToString(page.console());
    EXPECT_TRUE(wears(until(page, [](const RGBAImage& img) { return wears(img, green); }), green));
    page.reload();
    ASSERT_TRUE(boardShown(page));
    EXPECT_TRUE(wearsUpright(until(page, wearsUpright))) << "the face stored before is lost";
}

// A browser that can only decode a photo whole: no image decoder, and a
// createImageBitmap that ignores resizeWidth and resizeHeight, as one
// without them does.
const char kNoResizedDecoding[] = R"(
delete window.ImageDecoder;
const decodeWhole = window.createImageBitmap;
window.createImageBitmap = function (source, options) {
    return decodeWhole.call(window, source, options ? { imageOrientation: options.imageOrientation } : undefined);
};
)";

// A file that is not a picture, and, in a browser that can only decode a
// photo whole, one of 100 megapixels: each says so in a notice and the face
// picker stays. Without a camera the camera button does nothing.
TEST_F(ScreensTest, APhotoThatCannotBeUsedSaysWhy)
{
    const std::string small = photoFile("small.jpg", "-size 64x64 xc:gray +noise Random");
    const std::string dir = small.substr(0, small.rfind('/'));
    const std::string text = dir + "/notes.jpg", huge = dir + "/huge.jpg";
    writeFile(text, "a shopping list, not a picture\n");
    writeFile(huge, claimJpegSize(readFile(small), 10000, 10000));

    ChromiumPage page({}, {});
    page.addPreloadScript(kNoResizedDecoding);
    page.open(server.url());
    ASSERT_TRUE(boardShown(page));
    openFacePicker(page);
    for (auto [file, says] :
         {std::pair{text, "photo notes.jpg: not a picture"}, {huge, "photo huge.jpg: 10000 x 10000 pixels"}}) {
        SCOPED_TRACE(file);
        page.chooseFile(160, 312, file);
        EXPECT_TRUE(noticeShown(until(page, noticeShown, 10))) << "no notice";
        EXPECT_TRUE(logged(page, says)) << ::testing::PrintToString(page.console());
        EXPECT_FALSE(noticeShown(until(
            page, [](const RGBAImage& img) { return !noticeShown(img); }, 10)))
            << "the notice stays";
        page.frames(40);  // the end of its fading
    }
    const RGBAImage picker = page.screenshot();
    tap(page, 160, 367);  // no camera here
    page.frames(10);
    const RGBAImage after = page.screenshot();
    EXPECT_EQ(extent(after, chalk, 0, 440).count, extent(picker, chalk, 0, 440).count)
        << "the face picker did not stay as it was";
}

// The resident memory of a process and its descendants, in kB.
long residentKb(pid_t root)
{
    const std::string out = commandOutput(
        "ps -e -o pid=,ppid=,rss= | awk -v root=" + std::to_string(root) +
        " '{ parent[$1] = $2; rss[$1] = $3 } END { for (p in parent) { q = p; while (q && q != root) q = parent[q];"
        " if (q == root) total += rss[p] } print total + 0 }'");
    return std::atol(out.c_str());
}

// A 48-megapixel photo from a phone's camera, on its side: the browser
// decodes it at the size the face editor shows, upright, and the page's
// memory grows by far less than the 190 MB the whole photo would take.
TEST_F(ScreensTest, ABigPhotoIsDecodedSmall)
{
    // Taken with the phone on its side: upright, red above blue.
    const std::string big =
        photoFile("camera.jpg", "-size 4000x6000 xc:red -size 4000x6000 xc:blue +append -quality 80", 6);

    BrowserOptions options;
    options.fakeMedia = false;
    ChromiumPage page({}, options);
    page.open(server.url());
    ASSERT_TRUE(boardShown(page));
    openFacePicker(page);
    page.frames(30);
    const long before = residentKb(page.browser().pid());
    long most = before;
    page.chooseFile(160, 312, big);
    bool shown = false;
    for (int i = 0; i < 300 && !shown; ++i) {
        most = std::max(most, residentKb(page.browser().pid()));
        shown = page.eval("document.getElementById('screens').style.visibility == 'visible'") == true &&
                wears(page.screenshot(), red, blue);
    }
    for (int i = 0; i < 10; ++i)
        most = std::max(most, residentKb(page.browser().pid()));
    std::printf("the browser's memory: %ld MB before, at most %ld MB while the photo came in\n", before / 1024,
                most / 1024);
    EXPECT_TRUE(shown) << "the crop editor does not show the photo upright";
    EXPECT_LT(most - before, 64 * 1024) << "the photo is decoded whole";
    EXPECT_FALSE(logged(page, "photo camera.jpg")) << ::testing::PrintToString(page.console());
}

}  // namespace
}  // namespace zorbel::test
